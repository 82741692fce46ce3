#pragma once

#include <string>

namespace av {

// av_err2str relies on a C compound literal, which C++ lacks.
std::string ffmpegErrorString(int errnum);

}  // namespace av
