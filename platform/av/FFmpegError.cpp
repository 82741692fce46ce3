#include "platform/av/FFmpegError.h"

extern "C" {
#include <libavutil/error.h>
}

namespace av {

std::string ffmpegErrorString(int errnum)
{
    char buf[AV_ERROR_MAX_STRING_SIZE] = {};
    if (av_strerror(errnum, buf, sizeof buf) < 0)
        return "error " + std::to_string(errnum);
    return buf;
}

}  // namespace av
