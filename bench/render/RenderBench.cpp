// The cost of a phone-sized frame (1170 × 2532) of a screen like the crop
// overlay's, and whether drawing plus encoding keeps up with the
// recorder's 30 frames a second.

#include "OverlayScene.h"

#include "platform/av/MovieWriter.h"
#include "platform/foundation/RunLoop.h"
#include "platform/render/Compositor.h"
#include "platform/render/TextPainter.h"

#include <benchmark/benchmark.h>

extern "C" {
#include <libavutil/log.h>
}

#include <chrono>
#include <cstdio>
#include <filesystem>
#include <unistd.h>

namespace {

OverlayScene& scene()
{
    static OverlayScene* made = [] {
        RunLoop::main().reset(ClockKind::Virtual);
        return new OverlayScene(OverlayScene::make());
    }();
    return *made;
}

// Alternates the hole between two places, so every frame has changed.
void nudge(OverlayScene& s, std::int64_t i)
{
    s.moveHole(CGRectMake(70 + (i % 2), 260, 250, 250));
}

void BM_OverlayFrameFullRedraw(benchmark::State& state)
{
    auto& s = scene();
    auto& compositor = render::Compositor::shared();
    compositor.setWindowCaching(false);
    for (auto _ : state) {
        compositor.invalidate();
        benchmark::DoNotOptimize(compositor.renderSurface().data());
    }
    compositor.setWindowCaching(true);
    (void)s;
}
BENCHMARK(BM_OverlayFrameFullRedraw)->Unit(benchmark::kMillisecond)->UseRealTime();

void BM_OverlayFrameOverStillHomeScreen(benchmark::State& state)
{
    auto& s = scene();
    auto& compositor = render::Compositor::shared();
    compositor.invalidate();
    std::int64_t i = 0;
    for (auto _ : state) {
        nudge(s, i++);
        benchmark::DoNotOptimize(compositor.renderSurface().data());
    }
}
BENCHMARK(BM_OverlayFrameOverStillHomeScreen)->Unit(benchmark::kMillisecond)->UseRealTime();

void BM_OverlayScreenFrameRGBA(benchmark::State& state)
{
    auto& s = scene();
    auto& compositor = render::Compositor::shared();
    compositor.invalidate();
    std::int64_t i = 0;
    for (auto _ : state) {
        nudge(s, i++);
        benchmark::DoNotOptimize(compositor.renderScreen());
    }
}
BENCHMARK(BM_OverlayScreenFrameRGBA)->Unit(benchmark::kMillisecond)->UseRealTime();

void BM_UnchangedScreen(benchmark::State& state)
{
    scene();
    auto& compositor = render::Compositor::shared();
    compositor.renderScreen();
    for (auto _ : state)
        benchmark::DoNotOptimize(compositor.renderScreen());
}
BENCHMARK(BM_UnchangedScreen)->Unit(benchmark::kMicrosecond)->UseRealTime();

struct Rates {
    double renderSeconds = 0;
    double encodeSeconds = 0;
};

// Wall time per frame of drawing (with the RGBA conversion the recorder
// takes) and of encoding it, measured over `frames` frames.
Rates measureRecording(int frames, bool fullRedraw)
{
    using Clock = std::chrono::steady_clock;
    auto& s = scene();
    auto& compositor = render::Compositor::shared();
    compositor.setWindowCaching(!fullRedraw);
    compositor.invalidate();
    auto folder = std::filesystem::temp_directory_path() / ("marqel-bench-render-" + std::to_string(::getpid()));
    std::filesystem::create_directories(folder);
    av::MovieWriter writer;
    auto opened = writer.open((folder / "screen.mov").string(), 1170, 2532, 30, false, av::PixelOrder::RGBA);
    Rates rates;
    if (!opened) {
        std::fprintf(stderr, "cannot open the movie writer: %s\n", opened.error().message.c_str());
        return rates;
    }
    Clock::duration render {}, encode {};
    for (int i = 0; i < frames; ++i) {
        auto t0 = Clock::now();
        if (fullRedraw)
            compositor.invalidate();
        else
            nudge(s, i);
        auto frame = compositor.renderScreen();
        auto t1 = Clock::now();
        auto appended = writer.appendFrame(frame->pixels.data(), frame->stride());
        auto t2 = Clock::now();
        if (!appended) {
            std::fprintf(stderr, "encoding failed: %s\n", appended.error().message.c_str());
            break;
        }
        render += t1 - t0;
        encode += t2 - t1;
    }
    (void)writer.finish();
    std::filesystem::remove_all(folder);
    compositor.setWindowCaching(true);
    rates.renderSeconds = std::chrono::duration<double>(render).count() / frames;
    rates.encodeSeconds = std::chrono::duration<double>(encode).count() / frames;
    return rates;
}

void report(const char* what, const Rates& r)
{
    double sequential = 1.0 / (r.renderSeconds + r.encodeSeconds);
    // The recorder draws on the main thread while its encoder queue works on
    // the previous frame, so with two cores the slower stage sets the pace.
    double pipelined = 1.0 / std::max(r.renderSeconds, r.encodeSeconds);
    std::printf("%s: draw %.1f ms + encode %.1f ms per 1170x2532 frame -> %.1f fps (%.2fx of 30 fps) in one thread, "
                "%.1f fps (%.2fx) with drawing and encoding overlapped\n",
        what, r.renderSeconds * 1000, r.encodeSeconds * 1000, sequential, sequential / 30, pipelined, pipelined / 30);
}

}  // namespace

int main(int argc, char** argv)
{
    // x264 reports statistics for every movie; keep the output to results.
    av_log_set_level(AV_LOG_ERROR);
    benchmark::Initialize(&argc, argv);
    if (benchmark::ReportUnrecognizedArguments(argc, argv))
        return 1;
    benchmark::RunSpecifiedBenchmarks();
    benchmark::Shutdown();
    constexpr int frames = 45;
    report("overlay changing every frame over a still home screen", measureRecording(frames, false));
    report("whole screen redrawn every frame", measureRecording(frames, true));
    std::fflush(stdout);
    return 0;
}

// One unbroken word wrapped at an alert's width, as the label measurer and
// the drawing break it: the time should grow with the length, not its square.
static void BM_WrapOneLongWord(benchmark::State& state)
{
    render::TextPainter painter;
    render::TextStyle style;
    style.pointSize = 13;
    style.numberOfLines = 0;
    const std::string word(static_cast<std::size_t>(state.range(0)), 'F');
    for (auto _ : state)
        benchmark::DoNotOptimize(painter.measureLines(word, style, 238));
    state.SetComplexityN(state.range(0));
}
BENCHMARK(BM_WrapOneLongWord)->RangeMultiplier(4)->Range(1000, 64000)->Unit(benchmark::kMillisecond)->Complexity();
