#pragma once

#include <string>

#include "platform/av/Result.h"

namespace av {

// A file that appears at its destination only once it is complete.
// Bytes go to a fresh hidden sibling (created O_EXCL|O_NOFOLLOW so nothing
// planted there is followed or reused); commit() renames it over the
// destination, which replaces a symlink there instead of writing through it.
// Dropping the object without committing removes the temporary file.
class AtomicOutputFile {
public:
    [[nodiscard]] static Result<AtomicOutputFile> create(const std::string& destination);

    AtomicOutputFile(AtomicOutputFile&& other) noexcept;
    AtomicOutputFile& operator=(AtomicOutputFile&& other) noexcept;
    AtomicOutputFile(const AtomicOutputFile&) = delete;
    AtomicOutputFile& operator=(const AtomicOutputFile&) = delete;
    ~AtomicOutputFile();

    int fd() const { return fd_; }
    const std::string& temporaryPath() const { return tempPath_; }
    const std::string& destination() const { return destination_; }

    // Flushes to disk and renames into place. On failure the temporary file
    // is removed and the destination is left as it was.
    [[nodiscard]] Status commit();
    void discard();

private:
    AtomicOutputFile(int fd, std::string tempPath, std::string destination);

    int fd_ = -1;
    std::string tempPath_;
    std::string destination_;
};

}  // namespace av
