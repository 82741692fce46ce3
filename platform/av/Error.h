#pragma once

#include <string>

namespace av {

enum class ErrorCode {
    InvalidArgument,
    UnreadableInput,
    NoVideoTrack,
    WriteFailed,
    CodecFailed,
    Cancelled,
    InvalidState,
};

struct Error {
    ErrorCode code;
    std::string message;
};

}  // namespace av
