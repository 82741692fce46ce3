#pragma once

// Source movies for the cases, made once per harness run with ffmpeg.

#include <string>

namespace reliability::Movies {

// A QuickTime H.264 movie of `seconds` at `size` ("WxH"), its index at the
// front so that a cut leaves the start playable.
bool make(const std::string& path, const std::string& size, double seconds);
// The same with an AAC sound track only.
bool makeSoundOnly(const std::string& path, double seconds);
bool decodesWhole(const std::string& path);

}  // namespace reliability::Movies
