#include "bench/reliability/PackageAtomicity.h"

#include "bench/reliability/ChildProcess.h"
#include "platform/foundation/DevicePath.h"
#include "tests/support/Files.h"
#include "tests/support/PackageArchive.h"
#include "tests/support/TempDir.h"
#include "tools/DebianPackage.h"
#include "tools/InstallRecord.h"
#include "tools/Installer.h"

#include <archive.h>
#include <archive_entry.h>
#include <chrono>
#include <filesystem>

namespace reliability::PackageAtomicity {

namespace {

namespace fs = std::filesystem;

using Entry = testsupport::ArchiveMember;

std::string packageOf(const std::vector<Entry>& data, const std::string& version)
{
    return testsupport::debOf(data, tools::Installer::packageName, version);
}

bool stagingLeft(const std::string& root)
{
    std::error_code ec;
    for (const auto& entry : fs::directory_iterator(root, ec))
        if (entry.path().filename().string().starts_with(".marqel-install"))
            return true;
    return false;
}

}  // namespace

CaseOutcome run(const Options& options)
{
    CaseOutcome outcome;
    outcome.name = "package install failed at each step";
    auto started = std::chrono::steady_clock::now();
    testsupport::TempDir scratch("marqel-reliability-package");
    const std::string built = scratch.file("built"), root = scratch.file("root");

    // The product's files, as the build folder's install lays them.
    if (runToEnd(marqelCommand(options.marqel, built, { "install" }, scratch.file("install.log"))) != 0) {
        outcome.fault(outcome.crashes, "marqel install into a scratch root failed");
        return outcome;
    }
    DevicePath::setRoot(built);
    auto laid = tools::InstallRecord::load();
    if (!laid || !laid.value()) {
        outcome.fault(outcome.crashes, "the scratch install left no record");
        return outcome;
    }
    std::vector<Entry> newer, older;
    for (const auto& file : laid.value()->files) {
        std::string contents = testsupport::readFile(built + file);
        newer.push_back({ "." + file, AE_IFREG, contents });
        older.push_back({ "." + file, AE_IFREG, "1.1 of " + file });
    }
    // The old version had a file the new one drops, and a link the new one
    // points elsewhere; the new one adds a folder of its own.
    older.push_back({ "./var/LIY/Zorvelin/Preferences/MarqelPrefs.bundle/Dropped.txt", AE_IFREG, "only in 1.1" });
    older.push_back({ "./var/LIY/Zorvelin/Preferences/MarqelPrefs.bundle/Current", AE_IFLNK, {}, "Dropped.txt" });
    newer.push_back({ "./var/LIY/Zorvelin/Preferences/MarqelPrefs.bundle/Current", AE_IFLNK, {}, "Info.plist" });
    newer.push_back({ "./var/LIY/Zorvelin/Preferences/MarqelPrefs.bundle/Extras/", AE_IFDIR });
    auto oldPackage = tools::DebianPackage::fromBytes(packageOf(older, "1.1"));
    auto newPackage = tools::DebianPackage::fromBytes(packageOf(newer, "1.2"));
    if (!oldPackage || !newPackage) {
        outcome.fault(outcome.crashes, "the packages could not be made: " + (oldPackage ? newPackage.message() : oldPackage.message()));
        return outcome;
    }

    DevicePath::setRoot(root);
    fs::create_directories(root);
    if (auto first = tools::Installer::installPackage(oldPackage.value(), "old.deb"); !first) {
        outcome.fault(outcome.crashes, "the old version could not be installed: " + first.message());
        return outcome;
    }
    const std::string before = testsupport::treeSnapshot(root);
    const std::size_t members = newPackage.value().members().size();
    std::vector<std::pair<tools::Installer::Step, std::size_t>> steps;
    for (auto step : { tools::Installer::Step::Stage, tools::Installer::Step::Commit })
        for (std::size_t i = 0; i < members; ++i)
            steps.emplace_back(step, i);
    steps.emplace_back(tools::Installer::Step::RemoveLeftover, 0);
    steps.emplace_back(tools::Installer::Step::SaveRecord, 0);
    for (const auto& [failAt, index] : steps) {
        ++outcome.trials;
        const std::string where = "a failure before step " + std::to_string(int(failAt)) + " of member " + std::to_string(index);
        bool reached = false;
        auto installed = tools::Installer::installPackage(newPackage.value(), "new.deb",
            [&](tools::Installer::Step step, std::size_t at) -> foundation::Status {
                if (step != failAt || at != index)
                    return {};
                reached = true;
                return foundation::Error { foundation::ErrorCode::WriteFailed, "injected" };
            });
        if (!reached || installed)
            outcome.fault(outcome.crashes, where + " was never reached or did not fail the install");
        if (testsupport::treeSnapshot(root) != before)
            outcome.fault(outcome.originalsLost, where + " left the root changed");
        auto record = tools::InstallRecord::load();
        if (!record || !record.value() || record.value()->version != "1.1")
            outcome.fault(outcome.corruptFiles, where + " changed the install record");
        if (stagingLeft(root))
            outcome.fault(outcome.leftovers, where + " left its staging folder");
    }
    // Nothing in the way: the new version goes in whole.
    ++outcome.trials;
    auto whole = tools::Installer::installPackage(newPackage.value(), "new.deb");
    if (!whole)
        outcome.fault(outcome.lostChanges, "the install without a failure failed: " + whole.message());
    else if (testsupport::readFile(root + tools::Installer::tweakDevicePath) != testsupport::readFile(built + tools::Installer::tweakDevicePath)
        || fs::exists(root + "/var/LIY/Zorvelin/Preferences/MarqelPrefs.bundle/Dropped.txt") || stagingLeft(root))
        outcome.fault(outcome.lostChanges, "the install without a failure did not lay the new version whole");
    outcome.seconds = std::chrono::duration<double>(std::chrono::steady_clock::now() - started).count();
    return outcome;
}

}  // namespace reliability::PackageAtomicity
