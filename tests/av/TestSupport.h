#pragma once

#include <cstdint>
#include <string>
#include <vector>

namespace avtest {

// Fresh directory under /tmp, removed with everything in it.
class TempDir {
public:
    TempDir();
    ~TempDir();
    TempDir(const TempDir&) = delete;
    TempDir& operator=(const TempDir&) = delete;

    const std::string& path() const { return m_path; }
    std::string file(const std::string& name) const { return m_path + "/" + name; }
    // Names of everything in the directory (no . and ..).
    std::vector<std::string> entries() const;

private:
    std::string m_path;
};

struct CommandResult {
    int exitCode = -1;
    std::string output;  // stdout, binary-safe
};

std::string shellQuote(const std::string& s);
CommandResult run(const std::string& command);
bool fileExists(const std::string& path);
bool isRegularFile(const std::string& path);
std::string readFile(const std::string& path);
void writeFile(const std::string& path, const std::string& bytes);

struct RgbImage {
    int width = 0;
    int height = 0;
    std::vector<uint8_t> pixels;  // rgb24, tightly packed

    const uint8_t* at(int x, int y) const { return &pixels[(static_cast<size_t>(y) * width + x) * 3]; }
};

// The test picture: flat coloured 40x40 blocks, each block a different
// colour, so position errors show at every block edge.
void patternColour(int x, int y, uint8_t rgb[3]);
RgbImage makePattern(int width, int height);
void writePpm(const std::string& path, const RgbImage& image);

// Independent decoding through the ffmpeg/ffprobe programs.
std::string probe(const std::string& path, const std::string& entries, const std::string& select = "v:0");
RgbImage decodeFrame(const std::string& path, int frameIndex = 0);
std::vector<RgbImage> decodeAllFrames(const std::string& path);
std::vector<int16_t> decodeAudioMono(const std::string& path, int sampleRate);
int countFrames(const std::string& path);
double probeDuration(const std::string& path, const std::string& select);
std::string majorBrand(const std::string& path);

// Mean absolute difference per channel between `actual` and the region of
// `expected` whose top-left is (ox, oy); pixels outside `expected` count as
// black. Only the first `w` x `h` pixels of `actual` are compared.
double meanDifference(const RgbImage& actual, const RgbImage& expected, int ox, int oy);

// Caps the size of files this process writes, the way a full disk would
// stop it (writes fail with EFBIG instead of a signal), until destroyed.
class FileSizeLimit {
public:
    explicit FileSizeLimit(long bytes);
    ~FileSizeLimit();
    FileSizeLimit(const FileSizeLimit&) = delete;
    FileSizeLimit& operator=(const FileSizeLimit&) = delete;

private:
    long m_previous;
    void (*m_previousHandler)(int);
};

// Fixture movies shared by tests: made once per build dir, reused after.
std::string fixturePath(const std::string& name);
// 1 s, 30 fps, lossless H.264 of makePattern(width, height); with a 440 Hz
// AAC track when withAudio.
std::string patternMovie(int width, int height, bool withAudio);
// Frame k is a flat grey of luma 20 + 7k (k < 30), so timing can be read
// back from the picture; 30 fps, 1 s, with an AAC tone.
std::string countingMovie();

}  // namespace avtest
