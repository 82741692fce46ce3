#pragma once

// Movies made and read back with the ffmpeg and ffprobe programs: a decoder
// independent of the one under test.

#include <cstdint>
#include <string>
#include <vector>

namespace testsupport {

struct RgbImage {
    int width = 0;
    int height = 0;
    std::vector<std::uint8_t> pixels;  // rgb24, tightly packed

    const std::uint8_t* at(int x, int y) const { return &pixels[(static_cast<std::size_t>(y) * width + x) * 3]; }
};

// The test picture: flat coloured 40x40 blocks, each block a different
// colour, so position errors show at every block edge.
void patternColour(int x, int y, std::uint8_t rgb[3]);
RgbImage makePattern(int width, int height);
void writePpm(const std::string& path, const RgbImage& image);

// A movie of ffmpeg's own moving test picture, 30 fps H.264 (with a 440 Hz
// AAC tone when `audio`); its folder is made. False when ffmpeg failed.
bool makeMovie(const std::string& path, int width, int height, double seconds, bool audio = false);
// A movie of flat colours, one second each in turn (ffmpeg colour names or
// 0xRRGGBB), 30 fps H.264 with a key frame every second, no sound; its
// folder is made. False when ffmpeg failed.
bool makeColourMovie(const std::string& path, const std::vector<std::string>& colours, int width, int height);

// One -show_entries query of the streams chosen by `select`, values only,
// one a line, without the last line break.
std::string probe(const std::string& path, const std::string& entries, const std::string& select = "v:0");
// "WxH" of the first video stream.
std::string probeSize(const std::string& path);
std::string probeFormat(const std::string& path);
bool hasAudio(const std::string& path);
int countFrames(const std::string& path);
double probeDuration(const std::string& path, const std::string& select);
// The four characters after "ftyp", empty when the file does not start so.
std::string majorBrand(const std::string& path);

// Frames as the movie stores them (no rotation applied); empty pixels when
// decoding failed.
RgbImage decodeFrame(const std::string& path, int frameIndex = 0);
std::vector<RgbImage> decodeAllFrames(const std::string& path);
std::vector<std::int16_t> decodeAudioMono(const std::string& path, int sampleRate);

// Mean absolute difference per channel between `actual` and the region of
// `expected` whose top-left is (ox, oy); pixels outside `expected` count as
// black. An empty `actual` differs by 1e9.
double meanDifference(const RgbImage& actual, const RgbImage& expected, int ox = 0, int oy = 0);

// Movies several tests share, made once per build folder and reused after
// (their names carry a version, to be bumped when what they hold changes).
std::string fixturePath(const std::string& name);
// 1 s, 30 fps, lossless H.264 of makePattern(width, height); with a 440 Hz
// AAC track when withAudio.
std::string patternMovie(int width, int height, bool withAudio);
// Frame k is a flat grey of luma 20 + 7k (k < 30), so timing can be read
// back from the picture; 30 fps, 1 s, with an AAC tone.
std::string countingMovie();

}  // namespace testsupport
