#pragma once

// Every file the platform replaces is written here: a reader sees the old
// file or the new one, never a torn one, and nothing planted at either name
// is followed or overwritten.
//
// The bytes go to a fresh hidden sibling, ".<name>.<pid>-<10 characters>.part",
// created O_EXCL|O_NOFOLLOW; commit() syncs it, renames it over the
// destination and syncs the folder. A destination that exists and is not a
// regular file (a link, a folder, a FIFO, a device) is refused and left as it
// is. The writer's pid in the name lets removeStaleTemporaries() tell a
// killed writer's leftover from a file still being written.

#include "platform/foundation/Result.h"

#include <optional>
#include <string>
#include <string_view>
#include <vector>

namespace foundation {

class AtomicFile {
public:
    // `mode` sets the permissions exactly; without it they are 0666 less the
    // umask, as for any new file. The destination's folder must exist.
    // Leftovers of dead writers in that folder are swept first.
    [[nodiscard]] static Result<AtomicFile> create(const std::string& destination, std::optional<unsigned> mode = std::nullopt);

    AtomicFile(AtomicFile&& other) noexcept;
    AtomicFile& operator=(AtomicFile&& other) noexcept;
    AtomicFile(const AtomicFile&) = delete;
    AtomicFile& operator=(const AtomicFile&) = delete;
    // Without a commit the temporary is removed and the destination kept.
    ~AtomicFile();

    int fd() const { return m_fd; }
    const std::string& temporaryPath() const { return m_tempPath; }
    const std::string& destination() const { return m_destination; }

    [[nodiscard]] Status write(std::string_view bytes);
    // The whole of the regular file at `sourcePath`, appended.
    [[nodiscard]] Status copyFrom(const std::string& sourcePath);
    // On failure the temporary is removed and the destination left as it was.
    [[nodiscard]] Status commit();
    // The same for a destination that must not exist: anything found there
    // by the time of the rename (a file, a link, a FIFO) is left alone and
    // the write fails.
    [[nodiscard]] Status commitAsNew();
    void discard();

    // The name of a temporary for `fileName`: never longer than the longest
    // name the folder allows, so any legal destination can be written (a long
    // name is shortened in the temporary, never the destination).
    static std::string temporaryName(std::string_view fileName, int pid, std::string_view random);
    // The writer's pid in the name of one of our temporaries; for anything
    // else nothing.
    static std::optional<int> ownerOfTemporary(std::string_view fileName);
    // Removes the temporaries in a folder whose writer is gone (killed before
    // it could commit or discard), and says which. Only regular files and
    // links are removed, never a folder that happens to match.
    static std::vector<std::string> removeStaleTemporaries(const std::string& folder);

private:
    AtomicFile(int fd, std::string tempPath, std::string destination);
    Status finish(bool replace);

    int m_fd = -1;
    std::string m_tempPath;
    std::string m_destination;
};

// The whole of `bytes` as the new `destination`, through an AtomicFile.
[[nodiscard]] Status writeFileAtomically(const std::string& destination, std::string_view bytes,
    std::optional<unsigned> mode = std::nullopt);

// A symbolic link to `linkTarget` as the new `destination`, by the same
// temporary name and rename. A link or a regular file there is replaced; a
// folder or anything else is refused.
[[nodiscard]] Status replaceWithSymlink(const std::string& destination, const std::string& linkTarget);

}  // namespace foundation
