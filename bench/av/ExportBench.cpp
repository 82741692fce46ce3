#include "bench/common/ScreenSize.h"
#include <benchmark/benchmark.h>
#include <unistd.h>

#include <chrono>
#include <cstdio>
#include <filesystem>
#include <string>
#include <vector>

#include "platform/av/CompositionExporter.h"
#include "platform/av/MovieWriter.h"

extern "C" {
#include <libavutil/log.h>
}

namespace {

using bench::kHeight;
using bench::kWidth;
constexpr int kFrames = 60;  // 1 s at 60 fps, exported at 30 fps

std::string makeSource()
{
    const std::string path = std::filesystem::temp_directory_path().string() + "/marqel-bench-src-" + std::to_string(getpid()) + ".mov";
    std::vector<uint8_t> rgba(static_cast<size_t>(kWidth) * kHeight * 4);
    av::MovieWriter writer;
    if (!writer.open(path, kWidth, kHeight, 60, true))
        return {};
    for (int f = 0; f < kFrames; ++f) {
        for (int y = 0; y < kHeight; ++y)
            for (int x = 0; x < kWidth; ++x) {
                uint8_t* p = &rgba[(static_cast<size_t>(y) * kWidth + x) * 4];
                const bool band = ((y + f * 24) / 96) % 5 == 0;
                p[0] = band ? 250 : static_cast<uint8_t>(40 + (x / 90) * 12);
                p[1] = band ? 200 : static_cast<uint8_t>(60 + (y / 120) * 8);
                p[2] = 180;
                p[3] = 255;
            }
        if (!writer.appendFrame(rgba.data(), kWidth * 4))
            return {};
    }
    return writer.finish() ? path : std::string {};
}

// range(0): 0 = 736x736 crop at (60, 300); 1 = whole screen through the
// 1920x1080 preset.
void BM_Export_PhoneRecording(benchmark::State& state)
{
    av_log_set_level(AV_LOG_ERROR);
    const std::string source = makeSource();
    if (source.empty()) {
        state.SkipWithError("could not make the source movie");
        return;
    }
    const std::string out = source + ".out.mov";
    av::ExportRequest r;
    r.inputPath = source;
    r.outputPath = out;
    if (state.range(0) == 0) {
        r.renderWidth = r.renderHeight = 736;
        r.transform = av::AffineTransform::translation(-60, -300);
    } else {
        r.renderWidth = 1168;
        r.renderHeight = 2528;
    }
    int64_t frames = 0;
    const auto started = std::chrono::steady_clock::now();
    for (auto _ : state) {
        if (!av::CompositionExporter::run(r)) {
            state.SkipWithError("export failed");
            break;
        }
        frames += 30;
    }
    const std::chrono::duration<double> wall = std::chrono::steady_clock::now() - started;
    state.counters["out_frames_per_s"] = static_cast<double>(frames) / wall.count();
    std::remove(out.c_str());
    std::remove(source.c_str());
}

}  // namespace

BENCHMARK(BM_Export_PhoneRecording)->Arg(0)->Arg(1)->ArgName("full")->Unit(benchmark::kMillisecond)->UseRealTime()->Iterations(3);
