#pragma once

// Helpers for tests that make and check real movies with the `ffmpeg`
// program, an independent decoder.

#include <cstdio>
#include <filesystem>
#include <string>
#include <vector>

namespace media_test {

inline std::string run(const std::string& command)
{
    std::string out;
    FILE* pipe = popen(command.c_str(), "r");
    if (!pipe)
        return out;
    char buffer[4096];
    std::size_t n;
    while ((n = fread(buffer, 1, sizeof buffer, pipe)) > 0)
        out.append(buffer, n);
    pclose(pipe);
    return out;
}

// A test movie from ffmpeg's own test source.
inline bool makeMovie(const std::string& path, int width, int height, double seconds, bool audio = false)
{
    std::error_code ec;
    std::filesystem::create_directories(std::filesystem::path(path).parent_path(), ec);
    std::string command = "ffmpeg -v error -y -f lavfi -i testsrc2=size=" + std::to_string(width) + "x" + std::to_string(height)
        + ":rate=30 " + (audio ? "-f lavfi -i sine=frequency=440:sample_rate=44100 -c:a aac -shortest " : "")
        + "-t " + std::to_string(seconds) + " -c:v libx264 -preset ultrafast -pix_fmt yuv420p -f mov '" + path + "' 2>&1";
    return run(command).empty();
}

// "WxH" of the first video stream, as ffprobe reads it.
inline std::string probeSize(const std::string& path)
{
    std::string out = run("ffprobe -v error -select_streams v:0 -show_entries stream=width,height -of csv=s=x:p=0 '" + path + "'");
    while (!out.empty() && (out.back() == '\n' || out.back() == '\r'))
        out.pop_back();
    return out;
}

inline std::string probeFormat(const std::string& path)
{
    return run("ffprobe -v error -show_entries format=format_name -of csv=p=0 '" + path + "'");
}

// The first frame as RGB bytes, optionally cropped first (ffmpeg's crop
// filter), scaled to nothing else.
inline std::vector<unsigned char> firstFrame(const std::string& path, const std::string& filter = "")
{
    std::string out = run("ffmpeg -v error -i '" + path + "' -frames:v 1 " + (filter.empty() ? "" : "-vf " + filter + " ")
        + "-f rawvideo -pix_fmt rgb24 -");
    return std::vector<unsigned char>(out.begin(), out.end());
}

inline double meanAbsoluteDifference(const std::vector<unsigned char>& a, const std::vector<unsigned char>& b)
{
    if (a.size() != b.size() || a.empty())
        return 1e9;
    double sum = 0;
    for (std::size_t i = 0; i < a.size(); ++i)
        sum += a[i] > b[i] ? a[i] - b[i] : b[i] - a[i];
    return sum / static_cast<double>(a.size());
}

}  // namespace media_test
