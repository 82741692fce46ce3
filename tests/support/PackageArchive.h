#pragma once

// Debian packages made in memory, member by member, for the installer's
// tests and the reliability harness: the archives a hostile or damaged
// package would be are easier to lay out here than with dpkg-deb.

#include <archive_entry.h>

#include <string>
#include <vector>

namespace testsupport {

struct ArchiveMember {
    ArchiveMember(std::string name, unsigned type = AE_IFREG, std::string contents = {}, std::string link = {}, bool hardLink = false)
        : name(std::move(name))
        , type(type)
        , contents(std::move(contents))
        , link(std::move(link))
        , hardLink(hardLink)
    {
    }
    std::string name;
    unsigned type = AE_IFREG;
    std::string contents;
    std::string link;  // a symbolic link's target, or a hard link's
    bool hardLink = false;
};

// An ar archive (the package's outer layer) or a tar archive of `members`.
std::string archiveOf(const std::vector<ArchiveMember>& members, bool ar);

// A whole package: "2.0", a control file naming `package` and `version`,
// and `data` as the data archive.
std::string debOf(const std::vector<ArchiveMember>& data, const std::string& package = "com.zorvelin.marqel", const std::string& version = "1.2");

}  // namespace testsupport
