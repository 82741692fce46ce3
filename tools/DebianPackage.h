#pragma once

// A Debian package read whole into memory and checked before anything is
// written: its control fields and the members of its data archive, each
// named by the device path it lays. A package whose members would leave the
// device root (a "../" name, an absolute name, a link pointing outside or
// anything but files, folders and links) is refused as a whole.

#include "platform/foundation/PathContainment.h"
#include "platform/foundation/Result.h"

#include <cstddef>
#include <map>
#include <optional>
#include <string>
#include <vector>

namespace tools {

class DebianPackage {
public:
    enum class Kind { File,
        Directory,
        Link };
    struct Member {
        std::string devicePath;
        Kind kind = Kind::File;
        std::string contents;
        std::string linkTarget;
        unsigned mode = 0644;
    };

    // More than this, unpacked, is not a tweak.
    static constexpr std::size_t maxUnpackedBytes = std::size_t(512) << 20;

    static foundation::Result<DebianPackage> read(const std::string& hostPath);
    static foundation::Result<DebianPackage> fromBytes(const std::string& bytes);

    // A control field ("Package", "Version"...), empty when absent.
    std::string field(const std::string& name) const;
    const std::vector<Member>& members() const { return m_members; }
    // Names of the maintainer scripts the package carries; they are never run.
    const std::vector<std::string>& maintainerScripts() const { return m_maintainerScripts; }

    // Where `link`, one of `members`, leads once the package is laid under
    // `hostRoot`: followed through the package's own links and, elsewhere,
    // through `beyond` (the links already there); nothing when it leaves
    // the root on the way.
    static std::optional<std::string> resolveLink(const std::vector<Member>& members, const Member& link, const std::string& hostRoot,
        const pathcontainment::LinkReader& beyond);

private:
    std::map<std::string, std::string> m_fields;
    std::vector<Member> m_members;
    std::vector<std::string> m_maintainerScripts;
};

}  // namespace tools
