// The display's share of every frame with two processes drawing: SpringBoard's
// home screen and an app, both full-screen 390 x 844 points at 3 pixels a
// point (1170 x 2532), each publishing a new picture every frame. What is
// timed is composite() alone, the display's loop's own cost per frame; the
// copies into the shared surfaces are the drawing processes' work and happen
// here untimed, between frames. The goal is 60 frames a second: the 99th
// percentile of composite() under 16.7 ms. With the argument 1, SpringBoard
// takes the display's pictures (as while an app is in front or a recording
// runs), so each composite also copies the screen into the shared memory.

#include "platform/display/Connection.h"
#include "platform/display/DisplayClient.h"
#include "platform/display/DisplayServer.h"

#include <benchmark/benchmark.h>

#include <algorithm>
#include <chrono>
#include <cstdint>
#include <memory>
#include <vector>

namespace {

using namespace display;

// Premultiplied ARGB32, as Cairo stores a pixel.
std::uint32_t premultiplied(double r, double g, double b, double a)
{
    auto channel = [a](double c) { return static_cast<std::uint32_t>(c * a * 255 + 0.5); };
    return static_cast<std::uint32_t>(a * 255 + 0.5) << 24 | channel(r) << 16 | channel(g) << 8 | channel(b);
}

// A picture of one kind, a little different for each of the two frames it
// alternates between, so every publication is a changed picture.
render::Surface picture(int width, int height, bool appLike, int variant)
{
    render::Surface surface(width, height);
    std::uint8_t* rows = surface.mutableData();
    for (int y = 0; y < height; ++y) {
        auto* row = reinterpret_cast<std::uint32_t*>(rows + static_cast<std::size_t>(y) * surface.stride());
        double t = static_cast<double>(y) / height;
        for (int x = 0; x < width; ++x) {
            if (!appLike) {
                // The home screen: an opaque wallpaper gradient.
                row[x] = premultiplied(0.2 + 0.3 * t, 0.3, 0.6 - 0.3 * t + 0.01 * variant, 1);
            } else if (y > height * 2 / 3) {
                // An app with a sheet over its lower third: the dimming
                // behind a sheet is translucent, the costly case for OVER.
                row[x] = premultiplied(0, 0, 0.01 * variant, 0.4);
            } else {
                row[x] = premultiplied(0.96, 0.96, 0.97 - 0.01 * variant, 1);
            }
        }
    }
    surface.markDirty();
    return surface;
}

struct Drawer {
    ClientId id = 0;
    std::unique_ptr<DisplayClient> client;
    DisplayClient::WindowState window;
    render::Surface frames[2];
};

std::unique_ptr<Drawer> connect(DisplayServer& server, ProcessRole role, const char* bundle, double level, bool appLike,
    benchmark::State& state)
{
    auto pair = Connection::pair();
    if (!pair) {
        state.SkipWithError(pair.message().c_str());
        return nullptr;
    }
    auto [displayEnd, clientEnd] = pair.release();
    auto drawer = std::make_unique<Drawer>();
    drawer->id = server.addClient(std::move(displayEnd));
    auto client = DisplayClient::adopt(std::move(clientEnd), Hello { role, 1, bundle });
    if (!client) {
        state.SkipWithError(client.message().c_str());
        return nullptr;
    }
    drawer->client = client.release();
    drawer->window = { level, CGRectMake(0, 0, 390, 844), 3, false, appLike };
    for (int i = 0; i < 2; ++i)
        drawer->frames[i] = picture(1170, 2532, appLike, i);
    return drawer;
}

double percentile(std::vector<double> values, double p)
{
    std::sort(values.begin(), values.end());
    auto index = static_cast<std::size_t>(p * static_cast<double>(values.size() - 1) + 0.5);
    return values[std::min(index, values.size() - 1)];
}

void BM_CompositeTwoFullScreenProcesses(benchmark::State& state)
{
    DisplayServer server;  // the phone's screen: 390 x 844 points at 3x
    auto home = connect(server, ProcessRole::SpringBoard, "com.apple.springboard", 0, false, state);
    auto app = connect(server, ProcessRole::Application, "com.apple.Preferences", 1, true, state);
    if (!home || !app)
        return;
    if (state.range(0) == 1) {
        if (auto asked = home->client->shareScreen(true); !asked) {
            state.SkipWithError(asked.message().c_str());
            return;
        }
        server.serveOnce();
        if (auto pumped = home->client->pump(); !pumped) {
            state.SkipWithError(pumped.message().c_str());
            return;
        }
    }
    std::vector<double> seconds;
    std::int64_t frame = 0;
    for (auto _ : state) {
        for (Drawer* drawer : { home.get(), app.get() }) {
            // Each process gets its buffer back before the next frame: the
            // display never falls a frame behind here.
            if (!drawer->client->canPublish(1)) {
                state.SkipWithError("the display did not hand a buffer back in time");
                return;
            }
            if (auto published = drawer->client->publish(1, drawer->window, drawer->frames[frame % 2]); !published) {
                state.SkipWithError(published.message().c_str());
                return;
            }
        }
        server.serveOnce();
        auto start = std::chrono::steady_clock::now();
        const render::Surface& screen = server.composite();
        benchmark::DoNotOptimize(screen.data());
        double taken = std::chrono::duration<double>(std::chrono::steady_clock::now() - start).count();
        state.SetIterationTime(taken);
        seconds.push_back(taken);
        server.serveOnce();
        for (Drawer* drawer : { home.get(), app.get() })
            if (auto pumped = drawer->client->pump(); !pumped) {
                state.SkipWithError(pumped.message().c_str());
                return;
            }
        ++frame;
    }
    if (seconds.empty())
        return;
    state.counters["p50_ms"] = percentile(seconds, 0.50) * 1000;
    state.counters["p99_ms"] = percentile(seconds, 0.99) * 1000;
    state.counters["max_ms"] = percentile(seconds, 1.0) * 1000;
    state.counters["fps_at_p99"] = 1 / percentile(seconds, 0.99);
}
BENCHMARK(BM_CompositeTwoFullScreenProcesses)->Arg(0)->Arg(1)->UseManualTime()->Unit(benchmark::kMillisecond)->MinTime(3);

}  // namespace
