#include "tools/Installer.h"

#include "platform/foundation/DevicePath.h"
#include "platform/foundation/PropertyList.h"

#include <filesystem>
#include <fstream>
#include <optional>
#include <unistd.h>

namespace fs = std::filesystem;

namespace tools {

namespace {
bool sameFile(const fs::path& a, const fs::path& b)
{
    std::error_code ec;
    if (!fs::exists(b, ec) || fs::file_size(a, ec) != fs::file_size(b, ec))
        return false;
    std::ifstream x(a, std::ios::binary), y(b, std::ios::binary);
    return std::equal(std::istreambuf_iterator<char>(x), std::istreambuf_iterator<char>(), std::istreambuf_iterator<char>(y));
}

// Copies through a temporary name, so a running process never loads a
// half-written library. Adds the device path to `installed` when it wrote.
foundation::Status copyInto(const fs::path& from, const std::string& devicePath, bool force, std::vector<std::string>& installed)
{
    auto to = TRY(DevicePath::toHost(devicePath));
    if (!force && sameFile(from, to))
        return {};
    std::error_code ec;
    fs::create_directories(fs::path(to).parent_path(), ec);
    fs::path temp = to + ".installing";
    fs::copy_file(from, temp, fs::copy_options::overwrite_existing, ec);
    if (!ec)
        fs::rename(temp, to, ec);
    if (ec) {
        // A full disk or a path in the way: leave nothing half-copied behind.
        std::error_code ignored;
        fs::remove(temp, ignored);
        return foundation::Error { foundation::ErrorCode::FileSystem, "cannot install " + devicePath + ": " + ec.message() };
    }
    installed.push_back(devicePath);
    return {};
}
}  // namespace

Installer::Installer(std::string buildLibraryFolder, std::string resourceFolder)
    : m_libraryFolder(std::move(buildLibraryFolder))
    , m_resourceFolder(std::move(resourceFolder))
{
}

Installer Installer::forThisExecutable()
{
    std::error_code ec;
    fs::path exe = fs::read_symlink("/proc/self/exe", ec);
    fs::path buildRoot = exe.parent_path().parent_path();
    return Installer((buildRoot / "lib").string(), (buildRoot / "resources").string());
}

bool Installer::isInstalled() const
{
    auto tweak = DevicePath::toHost(tweakDevicePath);
    auto filter = DevicePath::toHost(filterDevicePath);
    std::error_code ec;
    return tweak && filter && fs::exists(tweak.value(), ec) && fs::exists(filter.value(), ec);
}

foundation::Result<std::vector<std::string>> Installer::install(bool force) const
{
    std::vector<std::string> installed;
    fs::path tweak = fs::path(m_libraryFolder) / "Marqel.so";
    if (!fs::exists(tweak))
        return foundation::Error { foundation::ErrorCode::NotFound,
            "the tweak is not built: " + tweak.string() + " is missing (run the build first)" };
    TRY(copyInto(tweak, tweakDevicePath, force, installed));

    PlistDict filter;
    PlistDict bundles;
    bundles.set("Bundles", PlistValue(PlistArray { PlistValue("com.apple.springboard") }));
    filter.set("Filter", PlistValue(bundles));
    auto filterHost = DevicePath::toHost(filterDevicePath);
    // An existing filter is the device owner's to change; only a forced
    // install puts ours back.
    std::error_code exists;
    if (force || !filterHost || !fs::exists(filterHost.value(), exists)) {
        if (!filterHost || !plist::writeFileAtomically(PlistValue(filter), filterHost.value()))
            return foundation::Error { foundation::ErrorCode::WriteFailed, std::string("cannot write ") + filterDevicePath };
        installed.push_back(filterDevicePath);
    }

    // The settings bundle: its executable and resources, when built. One
    // file that cannot be copied does not stop the others; the install
    // still fails, naming the last one.
    std::optional<foundation::Error> failure;
    auto copyBundleFile = [&](const fs::path& from, const std::string& devicePath) {
        if (auto copied = copyInto(from, devicePath, force, installed); !copied)
            failure = copied.error();
    };
    fs::path prefs = fs::path(m_libraryFolder) / "MarqelPrefs.so";
    if (fs::exists(prefs))
        copyBundleFile(prefs, std::string(bundleDevicePath) + "/MarqelPrefs.so");
    std::error_code ec;
    fs::path resources = fs::path(m_resourceFolder) / "MarqelPrefs.bundle";
    if (fs::is_directory(resources, ec)) {
        for (const auto& entry : fs::recursive_directory_iterator(resources, ec)) {
            if (!entry.is_regular_file())
                continue;
            std::string relative = fs::relative(entry.path(), resources).string();
            copyBundleFile(entry.path(), std::string(bundleDevicePath) + "/" + relative);
        }
    }
    if (failure)
        return *failure;
    return installed;
}

}  // namespace tools
