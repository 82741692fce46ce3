#pragma once

#include "platform/photos/ErrorCode.h"

#include <string>

namespace photos {

struct Failure {
    ErrorCode code = ErrorCode::None;
    std::string message;
};

}  // namespace photos
