#include "tests/support/PackageArchive.h"

#include <archive.h>

namespace testsupport {

std::string archiveOf(const std::vector<ArchiveMember>& members, bool ar)
{
    // libarchive writes into a buffer it cannot grow: room for every member
    // and its header, with plenty to spare.
    std::size_t total = 1 << 16;
    for (const auto& member : members)
        total += member.contents.size() + 1024;
    std::string buffer(total, '\0');
    std::size_t used = 0;
    archive* out = archive_write_new();
    if (ar)
        archive_write_set_format_ar_svr4(out);
    else
        archive_write_set_format_pax_restricted(out);
    archive_write_open_memory(out, buffer.data(), buffer.size(), &used);
    for (const auto& member : members) {
        archive_entry* entry = archive_entry_new();
        archive_entry_set_pathname(entry, member.name.c_str());
        archive_entry_set_filetype(entry, member.type);
        archive_entry_set_perm(entry, member.type == AE_IFDIR ? 0755 : 0644);
        archive_entry_set_size(entry, member.type == AE_IFREG ? la_int64_t(member.contents.size()) : 0);
        if (member.hardLink)
            archive_entry_set_hardlink(entry, member.link.c_str());
        else if (!member.link.empty())
            archive_entry_set_symlink(entry, member.link.c_str());
        archive_write_header(out, entry);
        if (member.type == AE_IFREG)
            archive_write_data(out, member.contents.data(), member.contents.size());
        archive_entry_free(entry);
    }
    archive_write_close(out);
    archive_write_free(out);
    buffer.resize(used);
    return buffer;
}

std::string debOf(const std::vector<ArchiveMember>& data, const std::string& package, const std::string& version)
{
    std::string control = "Package: " + package + "\nVersion: " + version + "\nDescription: a test\n more text\n";
    return archiveOf({ { "debian-binary", AE_IFREG, "2.0\n" },
                         { "control.tar", AE_IFREG, archiveOf({ { "./control", AE_IFREG, control } }, false) },
                         { "data.tar", AE_IFREG, archiveOf(data, false) } },
        true);
}

}  // namespace testsupport
