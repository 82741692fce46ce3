#pragma once

// Lays a package's files into the device root all or nothing. Every file and
// link is first written into a hidden staging folder inside the root (by the
// platform's one writer); only then are they moved into place, each by one
// rename that swaps it with what was there, the old one kept in the staging
// folder. Until finish(), roll back (or the destructor) puts every old file
// back, removes every new one and every folder made, and removes the staging
// folder: the root is as it was.
//
// The staging folder is ".marqel-install.<pid>-<6 characters>" at the top of
// the root; one left by a killed install is removed by the next.

#include "platform/foundation/Result.h"

#include <string>
#include <vector>

namespace tools {

class PackageTransaction {
public:
    static constexpr const char* stagingPrefix = ".marqel-install.";

    [[nodiscard]] static foundation::Result<PackageTransaction> begin();
    PackageTransaction(PackageTransaction&& other) noexcept;
    PackageTransaction& operator=(PackageTransaction&&) = delete;
    PackageTransaction(const PackageTransaction&) = delete;
    ~PackageTransaction();

    // A file or a link written into the staging folder under `name`; its
    // host path, for place().
    [[nodiscard]] foundation::Result<std::string> stageFile(const std::string& name, const std::string& contents, unsigned mode);
    [[nodiscard]] foundation::Result<std::string> stageLink(const std::string& name, const std::string& target);
    // `hostFolder` and the folders above it, each made without following a
    // link; a link or a file on the way is refused.
    [[nodiscard]] foundation::Status makeFolders(const std::string& hostFolder);
    // The staged file or link at `hostDestination`, swapped with what is
    // there (a file or a link; what place() is given has been checked).
    [[nodiscard]] foundation::Status place(const std::string& staged, const std::string& hostDestination);
    // A file or link of the old install moved into the staging folder.
    [[nodiscard]] foundation::Status moveAside(const std::string& hostPath);

    // Keeps what was done and removes the staging folder with the old files.
    void finish();
    // Undoes what was done, newest first. What could not be undone, said.
    std::vector<std::string> rollBack();

private:
    PackageTransaction(std::string root, std::string staging, bool madeRoot);

    struct Done {
        enum class Kind { MadeFolder,
            Placed,
            Swapped,
            MovedAside } kind;
        std::string staged;
        std::string destination;
    };

    std::string m_root;
    std::string m_staging;
    bool m_madeRoot = false;
    bool m_open = false;
    std::vector<Done> m_done;
    int m_asideCount = 0;
};

}  // namespace tools
