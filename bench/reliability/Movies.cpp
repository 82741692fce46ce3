#include "bench/reliability/Movies.h"

#include "bench/reliability/ChildProcess.h"
#include "platform/av/MovieCheck.h"

namespace reliability::Movies {

bool make(const std::string& path, const std::string& size, double seconds)
{
    return runToEnd({ { "/usr/bin/ffmpeg", "-v", "error", "-y", "-f", "lavfi", "-i", "testsrc2=size=" + size + ":rate=30", "-t",
               std::to_string(seconds), "-c:v", "libx264", "-preset", "ultrafast", "-pix_fmt", "yuv420p", "-movflags",
               "+faststart", "-f", "mov", path } })
        == 0;
}

bool makeSoundOnly(const std::string& path, double seconds)
{
    return runToEnd({ { "/usr/bin/ffmpeg", "-v", "error", "-y", "-f", "lavfi", "-i", "sine=frequency=440", "-t",
               std::to_string(seconds), "-c:a", "aac", "-f", "mov", path } })
        == 0;
}

bool decodesWhole(const std::string& path) { return av::MovieCheck::decodesWhole(path).ok(); }

}  // namespace reliability::Movies
