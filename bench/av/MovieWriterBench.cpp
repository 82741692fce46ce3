#include "bench/common/ScreenSize.h"
#include <benchmark/benchmark.h>
#include <unistd.h>

#include <chrono>
#include <cstdio>
#include <filesystem>
#include <string>
#include <vector>

#include "platform/av/MovieWriter.h"

extern "C" {
#include <libavutil/log.h>
}

namespace {

using bench::kHeight;
using bench::kWidth;
constexpr int kFramesPerRecording = 60;

// A screen-like picture: flat panels with a moving band, so the encoder
// sees real motion and not a static image it can skip entirely.
void paint(std::vector<uint8_t>& rgba, int frame)
{
    for (int y = 0; y < kHeight; ++y) {
        uint8_t* row = &rgba[static_cast<size_t>(y) * kWidth * 4];
        const bool band = ((y + frame * 24) / 96) % 5 == 0;
        for (int x = 0; x < kWidth; ++x) {
            row[x * 4 + 0] = band ? 250 : static_cast<uint8_t>(40 + (x / 90) * 12);
            row[x * 4 + 1] = band ? 200 : static_cast<uint8_t>(60 + (y / 120) * 8);
            row[x * 4 + 2] = band ? 40 : 180;
            row[x * 4 + 3] = 255;
        }
    }
}

void BM_MovieWriter_Phone(benchmark::State& state)
{
    av_log_set_level(AV_LOG_ERROR);
    const bool withAudio = state.range(0) != 0;
    const std::string dir = std::filesystem::temp_directory_path().string();
    const std::string path = dir + "/marqel-bench-" + std::to_string(getpid()) + ".mov";
    std::vector<std::vector<uint8_t>> frames(8, std::vector<uint8_t>(static_cast<size_t>(kWidth) * kHeight * 4));
    for (size_t i = 0; i < frames.size(); ++i)
        paint(frames[i], static_cast<int>(i));

    int64_t encoded = 0;
    // Wall clock, not the library's CPU-time rate: x264 works on several
    // threads, and frames per second of real time is what a recorder needs.
    const auto started = std::chrono::steady_clock::now();
    for (auto _ : state) {
        av::MovieWriter writer;
        if (!writer.open(path, kWidth, kHeight, 60, withAudio, av::PixelOrder::BGRA)) {
            state.SkipWithError("open failed");
            break;
        }
        for (int i = 0; i < kFramesPerRecording; ++i) {
            if (!writer.appendFrame(frames[i % frames.size()].data(), kWidth * 4)) {
                state.SkipWithError("append failed");
                break;
            }
        }
        if (!writer.finish())
            state.SkipWithError("finish failed");
        encoded += kFramesPerRecording;
    }
    const std::chrono::duration<double> wall = std::chrono::steady_clock::now() - started;
    std::remove(path.c_str());
    state.counters["frames_per_s"] = static_cast<double>(encoded) / wall.count();
}

}  // namespace

BENCHMARK(BM_MovieWriter_Phone)->Arg(0)->Arg(1)->ArgName("audio")->Unit(benchmark::kMillisecond)->UseRealTime()->Iterations(3);

BENCHMARK_MAIN();
