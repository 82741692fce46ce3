#pragma once

namespace photos {

// Lets the wrapper layer map failures onto its own error domain without
// parsing messages.
enum class ErrorCode {
    None = 0,
    InvalidArgument,
    NotFound,
    FileSystem,
    Database,
    Busy,
    UnsupportedVersion,
    NotALibrary,
};

}  // namespace photos
