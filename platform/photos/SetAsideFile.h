#pragma once

#include "platform/foundation/Result.h"
#include "platform/photos/Forward.h"

#include <filesystem>
#include <optional>
#include <string>
#include <string_view>

namespace photos {

// A file moved to a hidden name next to itself while its database row is
// being deleted: if the delete does not commit, the file is put back; if it
// commits, the hidden file is removed. A crash in between leaves the hidden
// name behind, which the store settles on its next open.
class SetAsideFile {
public:
    static constexpr std::string_view prefix = ".purging.";

    // A file that does not exist yields an empty SetAsideFile.
    static Result<SetAsideFile> setAside(const std::filesystem::path& file);

    bool holdsFile() const { return m_held; }
    Status putBack();
    Status discard();

    static std::filesystem::path asideNameFor(const std::filesystem::path& file);
    // The original name behind a hidden name, if it is one.
    static std::optional<std::string> originalNameOf(std::string_view fileName);

private:
    SetAsideFile(std::filesystem::path original, bool held);

    std::filesystem::path m_original;
    bool m_held = false;
};

}  // namespace photos
