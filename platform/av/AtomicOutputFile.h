#pragma once

#include <optional>
#include <string>
#include <vector>

#include "platform/av/Forward.h"
#include "platform/foundation/Result.h"

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

    // The pid in the name of one of our temporary files, for anything else
    // nothing.
    static std::optional<int> ownerOfTemporary(const std::string& fileName);
    // Removes the temporary files in a folder whose owner process is gone
    // (killed before it could commit or discard), and says which.
    static std::vector<std::string> removeStaleTemporaries(const std::string& folder);

    int fd() const { return m_fd; }
    const std::string& temporaryPath() const { return m_tempPath; }
    const std::string& destination() const { return m_destination; }

    // Flushes to disk and renames into place. On failure the temporary file
    // is removed and the destination is left as it was.
    [[nodiscard]] Status commit();
    void discard();

private:
    AtomicOutputFile(int fd, std::string tempPath, std::string destination);

    int m_fd = -1;
    std::string m_tempPath;
    std::string m_destination;
};

}  // namespace av
