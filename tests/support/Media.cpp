#include "tests/support/Media.h"

#include "tests/support/Files.h"
#include "tests/support/Program.h"

#include <unistd.h>

#include <cmath>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <sstream>

namespace testsupport {

namespace fs = std::filesystem;

void patternColour(int x, int y, std::uint8_t rgb[3])
{
    const int bx = x / 40;
    const int by = y / 40;
    rgb[0] = static_cast<std::uint8_t>(30 + (bx * 53 + by * 17) % 190);
    rgb[1] = static_cast<std::uint8_t>(30 + (bx * 29 + by * 71) % 190);
    rgb[2] = static_cast<std::uint8_t>(((bx + by) % 2) ? 200 : 50);
}

RgbImage makePattern(int width, int height)
{
    RgbImage image { width, height, std::vector<std::uint8_t>(static_cast<std::size_t>(width) * height * 3) };
    for (int y = 0; y < height; ++y)
        for (int x = 0; x < width; ++x)
            patternColour(x, y, &image.pixels[(static_cast<std::size_t>(y) * width + x) * 3]);
    return image;
}

void writePpm(const std::string& path, const RgbImage& image)
{
    std::ofstream out(path, std::ios::binary | std::ios::trunc);
    out << "P6\n"
        << image.width << " " << image.height << "\n255\n";
    out.write(reinterpret_cast<const char*>(image.pixels.data()), static_cast<std::streamsize>(image.pixels.size()));
}

bool makeMovie(const std::string& path, int width, int height, double seconds, bool audio)
{
    std::error_code ec;
    fs::create_directories(fs::path(path).parent_path(), ec);
    std::vector<std::string> argv { "ffmpeg", "-v", "error", "-y", "-f", "lavfi", "-i",
        "testsrc2=size=" + std::to_string(width) + "x" + std::to_string(height) + ":rate=30" };
    if (audio)
        argv.insert(argv.end(), { "-f", "lavfi", "-i", "sine=frequency=440:sample_rate=44100", "-c:a", "aac", "-shortest" });
    argv.insert(argv.end(), { "-t", std::to_string(seconds), "-c:v", "libx264", "-preset", "ultrafast", "-pix_fmt", "yuv420p", "-f", "mov", path });
    return runProgram(argv).exitCode == 0;
}

bool makeColourMovie(const std::string& path, const std::vector<std::string>& colours, int width, int height)
{
    std::error_code ec;
    fs::create_directories(fs::path(path).parent_path(), ec);
    std::vector<std::string> argv { "ffmpeg", "-v", "error", "-y" };
    std::string graph;
    for (std::size_t i = 0; i < colours.size(); ++i) {
        argv.insert(argv.end(), { "-f", "lavfi", "-i", "color=c=" + colours[i] + ":size=" + std::to_string(width) + "x" + std::to_string(height) + ":rate=30:duration=1" });
        graph += "[" + std::to_string(i) + ":v]";
    }
    graph += "concat=n=" + std::to_string(colours.size()) + ":v=1:a=0,format=yuv420p[v]";
    argv.insert(argv.end(), { "-filter_complex", graph, "-map", "[v]", "-c:v", "libx264", "-preset", "ultrafast", "-g", "30", "-f", "mov", path });
    return !colours.empty() && runProgram(argv).exitCode == 0;
}

namespace {

std::string withoutTrailingLineBreaks(std::string text)
{
    while (!text.empty() && (text.back() == '\n' || text.back() == '\r'))
        text.pop_back();
    return text;
}

std::pair<int, int> videoSize(const std::string& path)
{
    std::istringstream values(probe(path, "stream=width,height"));
    int width = 0, height = 0;
    values >> width >> height;
    return { width, height };
}

}  // namespace

std::string probe(const std::string& path, const std::string& entries, const std::string& select)
{
    return withoutTrailingLineBreaks(runProgram({ "ffprobe", "-v", "error", "-select_streams", select, "-show_entries", entries,
                                                    "-of", "default=noprint_wrappers=1:nokey=1", path })
                                         .output);
}

std::string probeSize(const std::string& path)
{
    return withoutTrailingLineBreaks(
        runProgram({ "ffprobe", "-v", "error", "-select_streams", "v:0", "-show_entries", "stream=width,height", "-of", "csv=s=x:p=0", path })
            .output);
}

std::string probeFormat(const std::string& path)
{
    return withoutTrailingLineBreaks(runProgram({ "ffprobe", "-v", "error", "-show_entries", "format=format_name", "-of", "csv=p=0", path }).output);
}

bool hasAudio(const std::string& path)
{
    return probe(path, "stream=codec_type", "a").find("audio") != std::string::npos;
}

int countFrames(const std::string& path)
{
    return std::atoi(runProgram({ "ffprobe", "-v", "error", "-count_frames", "-select_streams", "v:0", "-show_entries",
                                    "stream=nb_read_frames", "-of", "default=noprint_wrappers=1:nokey=1", path })
                         .output.c_str());
}

double probeDuration(const std::string& path, const std::string& select)
{
    return std::atof(probe(path, "stream=duration", select).c_str());
}

std::string majorBrand(const std::string& path)
{
    const std::string head = readFile(path).substr(0, 12);
    if (head.size() < 12 || head.substr(4, 4) != "ftyp")
        return {};
    return head.substr(8, 4);
}

RgbImage decodeFrame(const std::string& path, int frameIndex)
{
    const auto [width, height] = videoSize(path);
    RgbImage image { width, height, {} };
    const std::string out = runProgram({ "ffmpeg", "-v", "error", "-noautorotate", "-i", path, "-vf",
                                           "select=eq(n\\," + std::to_string(frameIndex) + ")", "-frames:v", "1", "-f", "rawvideo", "-pix_fmt", "rgb24", "-" })
                                .output;
    if (out.size() == static_cast<std::size_t>(width) * height * 3)
        image.pixels.assign(out.begin(), out.end());
    return image;
}

std::vector<RgbImage> decodeAllFrames(const std::string& path)
{
    const auto [width, height] = videoSize(path);
    const std::string out = runProgram({ "ffmpeg", "-v", "error", "-noautorotate", "-i", path, "-f", "rawvideo", "-pix_fmt", "rgb24", "-" }).output;
    std::vector<RgbImage> frames;
    const std::size_t size = static_cast<std::size_t>(width) * height * 3;
    if (size == 0)
        return frames;
    for (std::size_t offset = 0; offset + size <= out.size(); offset += size)
        frames.push_back(RgbImage { width, height, std::vector<std::uint8_t>(out.begin() + offset, out.begin() + offset + size) });
    return frames;
}

std::vector<std::int16_t> decodeAudioMono(const std::string& path, int sampleRate)
{
    const std::string out
        = runProgram({ "ffmpeg", "-v", "error", "-i", path, "-vn", "-ac", "1", "-ar", std::to_string(sampleRate), "-f", "s16le", "-" }).output;
    std::vector<std::int16_t> samples(out.size() / 2);
    for (std::size_t i = 0; i < samples.size(); ++i)
        samples[i] = static_cast<std::int16_t>(static_cast<std::uint8_t>(out[2 * i]) | (static_cast<std::uint8_t>(out[2 * i + 1]) << 8));
    return samples;
}

double meanDifference(const RgbImage& actual, const RgbImage& expected, int ox, int oy)
{
    if (actual.pixels.empty())
        return 1e9;
    double total = 0;
    const std::uint8_t black[3] = { 0, 0, 0 };
    for (int y = 0; y < actual.height; ++y) {
        for (int x = 0; x < actual.width; ++x) {
            const int sx = x + ox, sy = y + oy;
            const bool inside = sx >= 0 && sy >= 0 && sx < expected.width && sy < expected.height && !expected.pixels.empty();
            const std::uint8_t* e = inside ? expected.at(sx, sy) : black;
            const std::uint8_t* a = actual.at(x, y);
            for (int c = 0; c < 3; ++c)
                total += std::abs(int(a[c]) - int(e[c]));
        }
    }
    return total / (static_cast<double>(actual.width) * actual.height * 3);
}

std::string fixturePath(const std::string& name)
{
    std::error_code ec;
    fs::create_directories(MARQEL_TEST_FIXTURES, ec);
    return std::string(MARQEL_TEST_FIXTURES) + "/" + name;
}

namespace {

// Tests may run in parallel: each builds under a name of its own, then
// renames into place.
std::string privateName(const std::string& final, const std::string& extension)
{
    return final + ".tmp" + std::to_string(::getpid()) + extension;
}

bool publish(const std::string& temporary, const std::string& final)
{
    return std::rename(temporary.c_str(), final.c_str()) == 0;
}

}  // namespace

std::string patternMovie(int width, int height, bool withAudio)
{
    const std::string path = fixturePath("pattern-v1-" + std::to_string(width) + "x" + std::to_string(height) + (withAudio ? "-a" : "") + ".mov");
    if (isRegularFile(path))
        return path;
    const std::string ppm = privateName(path, ".ppm");
    writePpm(ppm, makePattern(width, height));
    const std::string temporary = privateName(path, ".mov");
    std::vector<std::string> argv { "ffmpeg", "-v", "error", "-y", "-loop", "1", "-framerate", "30", "-i", ppm };
    if (withAudio)
        argv.insert(argv.end(), { "-f", "lavfi", "-i", "sine=frequency=440:sample_rate=44100:duration=1" });
    argv.insert(argv.end(), { "-t", "1", "-c:v", "libx264", "-preset", "ultrafast", "-qp", "0", "-pix_fmt", "yuv420p" });
    if (withAudio)
        argv.insert(argv.end(), { "-c:a", "aac", "-shortest" });
    argv.insert(argv.end(), { "-f", "mov", temporary });
    const bool ok = runProgram(argv).exitCode == 0 && publish(temporary, path);
    std::remove(ppm.c_str());
    if (!ok)
        std::remove(temporary.c_str());
    return path;
}

std::string countingMovie()
{
    const std::string path = fixturePath("counting-v1.mov");
    if (isRegularFile(path))
        return path;
    const std::string temporary = privateName(path, ".mov");
    const bool ok = runProgram({ "ffmpeg", "-v", "error", "-y", "-f", "lavfi", "-i", "nullsrc=s=64x64:r=30:d=1,format=yuv420p,geq=lum=20+7*N:cb=128:cr=128",
                                   "-f", "lavfi", "-i", "sine=frequency=440:sample_rate=44100:duration=1", "-t", "1", "-c:v", "libx264", "-preset",
                                   "ultrafast", "-qp", "0", "-c:a", "aac", "-f", "mov", temporary })
                        .exitCode
            == 0
        && publish(temporary, path);
    if (!ok)
        std::remove(temporary.c_str());
    return path;
}

}  // namespace testsupport
