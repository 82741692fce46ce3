// Packages made here with libarchive, the way a hostile or damaged one
// would be, and what installing them does to a device root.

#include "platform/foundation/DevicePath.h"
#include "tests/support/Files.h"
#include "tests/support/PackageArchive.h"
#include "tests/support/TestDevice.h"
#include "tools/DebianPackage.h"
#include "tools/InstallRecord.h"
#include "tools/Installer.h"

#include <archive.h>
#include <archive_entry.h>
#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>

namespace fs = std::filesystem;
using tools::DebianPackage;
using tools::Installer;

namespace {

using Member = testsupport::ArchiveMember;
using testsupport::archiveOf;
using testsupport::debOf;

std::string refusal(const std::vector<Member>& data)
{
    auto package = DebianPackage::fromBytes(debOf(data));
    return package ? std::string("accepted") : package.message();
}

std::string readText(const std::string& path)
{
    std::ifstream in(path);
    return std::string((std::istreambuf_iterator<char>(in)), std::istreambuf_iterator<char>());
}

const Member tweak { "./var/jb/Library/MobileSubstrate/DynamicLibraries/Marqel.so", AE_IFREG, "tweak" };
const Member filter { "./var/jb/Library/MobileSubstrate/DynamicLibraries/Marqel.plist", AE_IFREG, "filter" };

}  // namespace

TEST(DebianPackage, ReadsControlFieldsAndMembersAsDevicePaths)
{
    auto package = DebianPackage::fromBytes(debOf({ { "./", AE_IFDIR }, { "./var/", AE_IFDIR }, tweak, { "./var/jb/rel", AE_IFLNK, "", "Library" } }));
    ASSERT_TRUE(package) << package.message();
    EXPECT_EQ(package.value().field("Package"), "com.zorvelin.marqel");
    EXPECT_EQ(package.value().field("Description"), "a test\nmore text");
    ASSERT_EQ(package.value().members().size(), 3u);
    EXPECT_EQ(package.value().members()[0].devicePath, "/var");
    EXPECT_EQ(package.value().members()[1].devicePath, "/var/jb/Library/MobileSubstrate/DynamicLibraries/Marqel.so");
    EXPECT_EQ(package.value().members()[1].contents, "tweak");
    EXPECT_EQ(package.value().members()[2].linkTarget, "Library");
}

TEST(DebianPackage, RefusesMembersThatLeaveTheRoot)
{
    EXPECT_NE(refusal({ { "../x", AE_IFREG, "x" } }).find("leaves the device root"), std::string::npos);
    EXPECT_NE(refusal({ { "./var/../../x", AE_IFREG, "x" } }).find("leaves the device root"), std::string::npos);
    EXPECT_NE(refusal({ { "/etc/x", AE_IFREG, "x" } }).find("absolute path"), std::string::npos);
    EXPECT_NE(refusal({ { "./var/l", AE_IFLNK, "", "/etc" } }).find("absolute path"), std::string::npos);
    EXPECT_NE(refusal({ { "./var/l", AE_IFLNK, "", "../../etc" } }).find("points out of the device root"), std::string::npos);
    EXPECT_EQ(refusal({ { "./var/jb/l", AE_IFLNK, "", "../../tmp" } }), "accepted");
}

TEST(DebianPackage, RefusesWhatIsNotAPlainFileFolderOrLink)
{
    EXPECT_NE(refusal({ tweak, { "./var/x", AE_IFREG, "", tweak.name, true } }).find("hard link"), std::string::npos);
    EXPECT_NE(refusal({ { "./var/fifo", AE_IFIFO } }).find("neither a file"), std::string::npos);
    EXPECT_NE(refusal({ tweak, tweak }).find("appears twice"), std::string::npos);
    EXPECT_NE(refusal({ { "./var/l", AE_IFLNK, "", "jb" }, { "./var/l/x", AE_IFREG, "x" } }).find("under a file or link"), std::string::npos);
}

TEST(DebianPackage, RefusesWhatIsNotADebianPackage)
{
    EXPECT_FALSE(DebianPackage::fromBytes("just text"));
    EXPECT_FALSE(DebianPackage::fromBytes(archiveOf({ { "debian-binary", AE_IFREG, "2.0\n" } }, true)));
    EXPECT_FALSE(DebianPackage::fromBytes(archiveOf({ { "data.tar", AE_IFREG, archiveOf({ tweak }, false) } }, true)));
    EXPECT_FALSE(DebianPackage::fromBytes(archiveOf({ { "debian-binary", AE_IFREG, "3.0\n" } }, true)));
}

TEST(PackageInstall, LaysRecordsAndReplacesAnOlderVersion)
{
    TestDevice device;
    auto old = DebianPackage::fromBytes(debOf({ tweak, filter, { "./var/jb/Old.txt", AE_IFREG, "old" } }, "com.zorvelin.marqel", "1.1"));
    ASSERT_TRUE(Installer::installPackage(old.value(), "old.deb"));
    EXPECT_EQ(readText(device.host("/var/jb/Old.txt")), "old");

    auto newer = DebianPackage::fromBytes(debOf({ { tweak.name, AE_IFREG, "tweak 1.2" }, filter }));
    auto laid = Installer::installPackage(newer.value(), "new.deb");
    ASSERT_TRUE(laid) << laid.message();
    EXPECT_EQ(readText(device.host(Installer::tweakDevicePath)), "tweak 1.2");
    EXPECT_FALSE(fs::exists(device.host("/var/jb/Old.txt")));
    auto record = tools::InstallRecord::load();
    ASSERT_TRUE(record && record.value());
    EXPECT_EQ(record.value()->version, "1.2");
    EXPECT_EQ(record.value()->source, "new.deb");
    EXPECT_EQ(record.value()->files.size(), 2u);
    EXPECT_TRUE(Installer::installedFromPackage());
}

TEST(PackageInstall, RefusesAnotherPackageAndWritesNothing)
{
    TestDevice device;
    auto other = DebianPackage::fromBytes(debOf({ tweak }, "com.example.other"));
    auto laid = Installer::installPackage(other.value(), "other.deb");
    ASSERT_FALSE(laid);
    EXPECT_NE(laid.message().find("com.example.other"), std::string::npos);
    EXPECT_TRUE(fs::is_empty(device.root()));
}

TEST(PackageInstall, NeverWritesThroughALinkInTheRoot)
{
    TestDevice device;
    testsupport::TempDir outside;
    fs::create_directories(device.host("/var/jb/Library/MobileSubstrate"));
    fs::create_directory_symlink(outside.path(), device.host("/var/jb/Library/MobileSubstrate/DynamicLibraries"));
    auto package = DebianPackage::fromBytes(debOf({ { "./var/jb/First.txt", AE_IFREG, "x" }, tweak }));
    auto laid = Installer::installPackage(package.value(), "p.deb");
    ASSERT_FALSE(laid);
    EXPECT_NE(laid.message().find(device.root() + "/var/jb/Library/MobileSubstrate/DynamicLibraries is a link to " + outside.path() + ", out of the device root"),
        std::string::npos)
        << laid.message();
    EXPECT_NE(laid.message().find("install the package again"), std::string::npos) << laid.message();
    EXPECT_TRUE(fs::is_empty(outside.path()));
    // Checked before the first write: the member ahead of the bad one is not laid either.
    EXPECT_FALSE(fs::exists(device.host("/var/jb/First.txt")));
}

TEST(PackageInstall, RefusesAFileWhereAFolderIs)
{
    TestDevice device;
    fs::create_directories(device.host(Installer::tweakDevicePath));
    auto package = DebianPackage::fromBytes(debOf({ tweak }));
    auto laid = Installer::installPackage(package.value(), "p.deb");
    ASSERT_FALSE(laid);
    EXPECT_NE(laid.message().find("folder is in its place"), std::string::npos);
}

TEST(Uninstall, RemovesOnlyRecordedFilesAndEmptyFolders)
{
    TestDevice device;
    auto package = DebianPackage::fromBytes(debOf({ tweak, filter, { "./var/jb/Library/PreferenceLoader/Preferences/MarqelPrefs.plist", AE_IFREG, "entry" } }));
    ASSERT_TRUE(Installer::installPackage(package.value(), "p.deb"));
    std::ofstream(device.host("/var/jb/Library/MobileSubstrate/DynamicLibraries/Other.plist")) << "the user's";

    auto removal = Installer::uninstall();
    ASSERT_TRUE(removal) << removal.message();
    EXPECT_EQ(removal.value().version, "1.2");
    EXPECT_EQ(removal.value().removed.size(), 3u);
    EXPECT_FALSE(fs::exists(device.host(Installer::tweakDevicePath)));
    EXPECT_EQ(readText(device.host("/var/jb/Library/MobileSubstrate/DynamicLibraries/Other.plist")), "the user's");
    EXPECT_FALSE(fs::exists(device.host("/var/jb/Library/PreferenceLoader")));
    EXPECT_FALSE(fs::exists(device.host(tools::InstallRecord::devicePath)));
    EXPECT_TRUE(fs::exists(device.root()));

    auto again = Installer::uninstall();
    ASSERT_FALSE(again);
    EXPECT_NE(again.message().find("nothing to uninstall"), std::string::npos);
}

TEST(Uninstall, LeavesAFolderThatTookARecordedFilesPlace)
{
    TestDevice device;
    auto package = DebianPackage::fromBytes(debOf({ tweak }));
    ASSERT_TRUE(Installer::installPackage(package.value(), "p.deb"));
    fs::remove(device.host(Installer::tweakDevicePath));
    fs::create_directory(device.host(Installer::tweakDevicePath));
    std::ofstream(device.host(std::string(Installer::tweakDevicePath) + "/kept")) << "x";
    ASSERT_TRUE(Installer::uninstall());
    EXPECT_TRUE(fs::exists(device.host(std::string(Installer::tweakDevicePath) + "/kept")));
}

TEST(InstallRecord, ADamagedRecordFailsAndOneLeavingTheRootIsRefused)
{
    TestDevice device;
    ASSERT_TRUE(DevicePath::makeParents(tools::InstallRecord::devicePath));
    std::ofstream(device.host(tools::InstallRecord::devicePath)) << "not a plist";
    EXPECT_FALSE(tools::InstallRecord::load());
    ASSERT_TRUE((tools::InstallRecord { "com.zorvelin.marqel", "1", "x", { "/../../etc/passwd" } }.save()));
    EXPECT_FALSE(tools::InstallRecord::load());
    EXPECT_FALSE(Installer::uninstall());
}

TEST(PackageInstall, NamesAsLongAsTheFolderAllowsAreLaidAndReplaced)
{
    TestDevice device;
    const std::string name(250, 'n');
    const std::string folder = "./var/jb/Library/Long/";
    for (const char* contents : { "first", "second" }) {
        auto package = DebianPackage::fromBytes(debOf({ tweak, { folder + name, AE_IFREG, contents }, { folder + name + ".lnk", AE_IFLNK, {}, name } }));
        ASSERT_TRUE(package) << package.message();
        auto laid = Installer::installPackage(package.value(), "p.deb");
        ASSERT_TRUE(laid) << laid.message();
        EXPECT_EQ(readText(device.host("/var/jb/Library/Long/" + name)), contents);
        EXPECT_EQ(fs::read_symlink(device.host("/var/jb/Library/Long/" + name + ".lnk")), name);
    }
    std::vector<std::string> names;
    for (const auto& entry : fs::directory_iterator(device.host("/var/jb/Library/Long")))
        names.push_back(entry.path().filename().string());
    EXPECT_EQ(names.size(), 2u) << "nothing of the writes is left beside them";
}

TEST(PackageInstall, RefusesAFileWhereALinkIsBeforeWritingAnything)
{
    TestDevice device;
    // A link that stays inside the root; one leading out is refused sooner.
    fs::create_directories(device.host("/var/jb/Library/MobileSubstrate/DynamicLibraries"));
    std::ofstream(device.host("/var/jb/Library/MobileSubstrate/DynamicLibraries/Other.so")) << "the user's";
    fs::create_symlink("Other.so", device.host(Installer::tweakDevicePath));
    auto package = DebianPackage::fromBytes(debOf({ filter, tweak }));
    auto laid = Installer::installPackage(package.value(), "p.deb");
    ASSERT_FALSE(laid);
    EXPECT_NE(laid.message().find("a link is in its place"), std::string::npos) << laid.message();
    EXPECT_FALSE(fs::exists(device.host("/var/jb/Library/MobileSubstrate/DynamicLibraries/Marqel.plist")));
    EXPECT_EQ(readText(device.host("/var/jb/Library/MobileSubstrate/DynamicLibraries/Other.so")), "the user's");
    EXPECT_TRUE(fs::is_symlink(device.host(Installer::tweakDevicePath)));
}

TEST(BuildInstall, CopiesKeepTheirPermissionsAndLongNamesWork)
{
    TestDevice device;
    testsupport::TempDir build;
    const std::string longName(250, 'r');
    fs::create_directories(build.file("lib"));
    fs::create_directories(build.file("resources/MarqelPrefs.bundle"));
    std::ofstream(build.file("lib/Marqel.so")) << "tweak";
    fs::permissions(build.file("lib/Marqel.so"), fs::perms(0755));
    std::ofstream(build.file("resources/Marqel.plist")) << "filter";
    std::ofstream(build.file("resources/MarqelPrefs.bundle/" + longName)) << "resource";
    Installer installer(build.file("lib"), build.file("resources"));
    auto installed = installer.install();
    ASSERT_TRUE(installed) << installed.message();
    EXPECT_EQ(readText(device.host(Installer::tweakDevicePath)), "tweak");
    EXPECT_EQ(fs::status(device.host(Installer::tweakDevicePath)).permissions() & fs::perms::all, fs::perms(0755));
    EXPECT_EQ(readText(device.host(std::string(Installer::bundleDevicePath) + "/" + longName)), "resource");
    // Again, forced: every file is replaced, nothing is left beside them.
    ASSERT_TRUE(installer.install(true));
    int files = 0;
    for ([[maybe_unused]] const auto& entry : fs::directory_iterator(device.host(Installer::bundleDevicePath)))
        ++files;
    EXPECT_EQ(files, 1);
}

TEST(DebianPackage, FollowsItsOwnLinksToTellWhetherALinkLeavesTheRoot)
{
    // Each link alone stays inside; followed one through the other, the
    // second leads to the root's parent.
    EXPECT_NE(refusal({ { "./a/b/c/l1", AE_IFLNK, "", "../../.." }, { "./a/l2", AE_IFLNK, "", "b/c/l1/.." } }).find("link \"/a/l2\" points out of the device root"),
        std::string::npos);
    EXPECT_NE(refusal({ { "./a/l2", AE_IFLNK, "", "b/c/l1/.." }, { "./a/b/c/l1", AE_IFLNK, "", "../../.." } }).find("points out of the device root"),
        std::string::npos)
        << "the order the members come in does not matter";
    EXPECT_NE(refusal({ { "./a/x", AE_IFLNK, "", "y" }, { "./a/y", AE_IFLNK, "", "x" } }).find("points out of the device root"), std::string::npos)
        << "links that go round in a circle lead nowhere";
    EXPECT_EQ(refusal({ { "./a/b/c/l1", AE_IFLNK, "", "../../.." }, { "./a/l2", AE_IFLNK, "", "b/c/l1/var" } }), "accepted");
}

TEST(PackageInstall, RefusesALinkThatLeavesTheRootThroughALinkAlreadyThere)
{
    TestDevice device;
    testsupport::TempDir outside;
    fs::create_directories(device.host("/var"));
    fs::create_directory_symlink("..", device.host("/var/up"));
    const std::string before = testsupport::treeSnapshot(device.root());
    // Alone the package's link stays in the root; beside var/up it does not.
    auto package = DebianPackage::fromBytes(debOf({ tweak, { "./var/jb/l", AE_IFLNK, "", "../up/.." } }));
    ASSERT_TRUE(package) << package.message();
    auto laid = Installer::installPackage(package.value(), "p.deb");
    ASSERT_FALSE(laid);
    EXPECT_NE(laid.message().find("link \"/var/jb/l\" points out of the device root"), std::string::npos) << laid.message();
    EXPECT_EQ(testsupport::treeSnapshot(device.root()), before);
}

TEST(DevicePath, FollowsALinkBeforeTheDotDotAfterIt)
{
    TestDevice device;
    fs::create_directories(device.host("/a/b/c"));
    fs::create_directory_symlink("../../..", device.host("/a/b/c/l1"));
    fs::create_directory_symlink("b/c/l1/..", device.host("/a/l2"));
    auto escaped = DevicePath::toHost("/a/l2/x");
    ASSERT_FALSE(escaped) << "resolves to " << escaped.value();
    EXPECT_NE(escaped.message().find(device.root() + "/a/l2 is a link to b/c/l1/.. (remove the link"), std::string::npos) << escaped.message();
    EXPECT_TRUE(DevicePath::toHost("/a/b/c/l1/a"));
}

namespace {
// A real install to replace: files, a link and a file the new version drops.
std::vector<Member> oldVersion()
{
    return { tweak, filter, { "./var/jb/Library/Marqel/Dropped.txt", AE_IFREG, "only in 1.1" }, { "./var/jb/Library/Marqel/Current", AE_IFLNK, "", "Dropped.txt" } };
}
std::vector<Member> newVersion()
{
    return { { "./var/jb/Library/Marqel/", AE_IFDIR }, { tweak.name, AE_IFREG, "tweak 1.2" }, { "./var/jb/Library/Marqel/New/Readme", AE_IFREG, "new" },
        { "./var/jb/Library/Marqel/Current", AE_IFLNK, "", "New/Readme" }, { filter.name, AE_IFREG, "filter 1.2" } };
}
}  // namespace

TEST(PackageInstall, AFailureAtAnyStepLeavesTheRootAndTheRecordAsTheyWere)
{
    TestDevice device;
    auto old = DebianPackage::fromBytes(debOf(oldVersion(), "com.zorvelin.marqel", "1.1"));
    ASSERT_TRUE(Installer::installPackage(old.value(), "old.deb"));
    auto newer = DebianPackage::fromBytes(debOf(newVersion()));
    ASSERT_TRUE(newer) << newer.message();
    const std::string before = testsupport::treeSnapshot(device.root());
    const std::size_t members = newer.value().members().size();
    std::vector<std::pair<Installer::Step, std::size_t>> steps;
    for (std::size_t i = 0; i < members; ++i)
        steps.emplace_back(Installer::Step::Stage, i);
    for (std::size_t i = 0; i < members; ++i)
        steps.emplace_back(Installer::Step::Commit, i);
    steps.emplace_back(Installer::Step::RemoveLeftover, 0);
    steps.emplace_back(Installer::Step::SaveRecord, 0);
    for (const auto& [failAt, failIndex] : steps) {
        bool reached = false;
        auto laid = Installer::installPackage(newer.value(), "new.deb", [&](Installer::Step step, std::size_t index) -> foundation::Status {
            if (step != failAt || index != failIndex)
                return {};
            reached = true;
            return foundation::Error { foundation::ErrorCode::WriteFailed, "injected failure" };
        });
        SCOPED_TRACE("failure before step " + std::to_string(int(failAt)) + " of member " + std::to_string(failIndex));
        EXPECT_TRUE(reached);
        ASSERT_FALSE(laid);
        EXPECT_EQ(laid.message(), "injected failure");
        EXPECT_EQ(testsupport::treeSnapshot(device.root()), before);
        auto record = tools::InstallRecord::load();
        ASSERT_TRUE(record && record.value());
        EXPECT_EQ(record.value()->version, "1.1");
    }
    // And with nothing in the way, the new version is laid whole.
    ASSERT_TRUE(Installer::installPackage(newer.value(), "new.deb"));
    EXPECT_EQ(readText(device.host("/var/jb/Library/Marqel/Current")), "new");
    EXPECT_FALSE(fs::exists(device.host("/var/jb/Library/Marqel/Dropped.txt")));
    for (const auto& entry : fs::directory_iterator(device.root()))
        EXPECT_FALSE(entry.path().filename().string().starts_with(".marqel-install")) << "the staging folder is gone";
}

TEST(PackageInstall, ANameTooLongForTheFolderFailsTheWholeInstall)
{
    TestDevice device;
    auto old = DebianPackage::fromBytes(debOf(oldVersion(), "com.zorvelin.marqel", "1.1"));
    ASSERT_TRUE(Installer::installPackage(old.value(), "old.deb"));
    const std::string before = testsupport::treeSnapshot(device.root());
    // The first members are laid before the file system refuses the name.
    auto newer = DebianPackage::fromBytes(debOf({ { tweak.name, AE_IFREG, "tweak 1.2" }, filter, { "./var/jb/" + std::string(300, 'n'), AE_IFREG, "x" } }));
    ASSERT_TRUE(newer) << newer.message();
    auto laid = Installer::installPackage(newer.value(), "new.deb");
    ASSERT_FALSE(laid);
    EXPECT_NE(laid.message().find("cannot install /var/jb/nnn"), std::string::npos) << laid.message();
    EXPECT_EQ(testsupport::treeSnapshot(device.root()), before);
    EXPECT_EQ(tools::InstallRecord::load().value()->version, "1.1");
}

TEST(BuildInstall, ABundleFolderLinkedOutOfTheRootIsNamedAndReplacedWhenForced)
{
    TestDevice device;
    testsupport::TempDir build, outside;
    fs::create_directories(build.file("lib"));
    fs::create_directories(build.file("resources/MarqelPrefs.bundle"));
    std::ofstream(build.file("lib/Marqel.so")) << "tweak";
    std::ofstream(build.file("lib/MarqelPrefs.so")) << "prefs";
    std::ofstream(build.file("resources/Marqel.plist")) << "filter";
    std::ofstream(build.file("resources/MarqelPrefs.bundle/Info.plist")) << "info";
    fs::create_directories(build.file("resources/PreferenceLoader"));
    std::ofstream(build.file("resources/PreferenceLoader/MarqelPrefs.plist")) << "entry";
    Installer installer(build.file("lib"), build.file("resources"));
    ASSERT_TRUE(installer.install());
    std::ofstream(outside.file("theirs")) << "not ours";
    fs::remove_all(device.host(Installer::bundleDevicePath));
    fs::create_directory_symlink(outside.path(), device.host(Installer::bundleDevicePath));
    fs::remove(device.host(Installer::tweakDevicePath));
    fs::create_symlink(outside.file("theirs"), device.root() + Installer::tweakDevicePath);

    // The record itself is sound: what is wrong is the folder, and each
    // command says which and what to run.
    ASSERT_TRUE(tools::InstallRecord::load());
    auto plain = installer.install();
    ASSERT_FALSE(plain);
    EXPECT_NE(plain.message().find(device.root() + Installer::tweakDevicePath + " is a link to " + outside.file("theirs")), std::string::npos)
        << plain.message();
    auto bundle = Installer::folderProblem(std::string(Installer::bundleDevicePath) + "/Info.plist");
    ASSERT_TRUE(bundle);
    EXPECT_EQ(bundle->what, device.root() + Installer::bundleDevicePath + " is a link to " + outside.path() + ", out of the device root, where a folder belongs");
    EXPECT_NE(plain.message().find("run `marqel install --force`"), std::string::npos) << plain.message();

    auto forced = installer.install(true);
    ASSERT_TRUE(forced) << forced.message();
    EXPECT_FALSE(fs::is_symlink(device.host(Installer::bundleDevicePath)));
    EXPECT_EQ(readText(device.host(Installer::tweakDevicePath)), "tweak");
    EXPECT_FALSE(fs::is_symlink(device.host(Installer::tweakDevicePath)));
    EXPECT_EQ(readText(device.host(std::string(Installer::bundleDevicePath) + "/Info.plist")), "info");
    EXPECT_EQ(readText(outside.file("theirs")), "not ours");
    EXPECT_FALSE(fs::exists(outside.file("Info.plist"))) << "the link was never followed";
}

TEST(Uninstall, LeavesWhatLiesPastALinkOutOfTheRootAndSaysSo)
{
    TestDevice device;
    testsupport::TempDir outside;
    auto package = DebianPackage::fromBytes(debOf({ tweak, { "./var/LIY/Zorvelin/Preferences/MarqelPrefs.bundle/Info.plist", AE_IFREG, "info" } }));
    ASSERT_TRUE(Installer::installPackage(package.value(), "p.deb"));
    std::ofstream(outside.file("Info.plist")) << "theirs";
    fs::remove_all(device.host(Installer::bundleDevicePath));
    fs::create_directory_symlink(outside.path(), device.host(Installer::bundleDevicePath));

    auto again = Installer::installPackage(package.value(), "p.deb");
    ASSERT_FALSE(again);
    EXPECT_NE(again.message().find("is a link to " + outside.path() + ", out of the device root"), std::string::npos) << again.message();
    EXPECT_NE(again.message().find("`rm " + device.root() + Installer::bundleDevicePath + "`"), std::string::npos) << again.message();

    auto removal = Installer::uninstall();
    ASSERT_TRUE(removal) << removal.message();
    ASSERT_EQ(removal.value().kept.size(), 1u);
    EXPECT_NE(removal.value().kept[0].find("MarqelPrefs.bundle/Info.plist"), std::string::npos);
    EXPECT_FALSE(fs::exists(device.host(Installer::tweakDevicePath)));
    EXPECT_EQ(readText(outside.file("Info.plist")), "theirs");
    EXPECT_FALSE(fs::exists(device.host(tools::InstallRecord::devicePath)));
}
