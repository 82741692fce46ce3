// The one writer of files that replace others: what a reader of the folder
// sees while it writes, after it commits, after it fails and after its
// process is killed.

#include "platform/foundation/AtomicFile.h"
#include "platform/foundation/PropertyList.h"
#include "tests/support/Files.h"
#include "tests/support/Program.h"
#include "tests/support/TempDir.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <climits>
#include <csignal>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>

using foundation::AtomicFile;
using foundation::ErrorCode;
using testsupport::TempDir;

namespace {

std::string nameOf(const std::string& path) { return path.substr(path.find_last_of('/') + 1); }

// The pid of a process that has certainly ended.
pid_t goneProcess()
{
    pid_t child = ::fork();
    if (child == 0)
        ::_exit(0);
    ::waitpid(child, nullptr, 0);
    return child;
}

}  // namespace

TEST(AtomicFile, TheFileAppearsWholeOnlyAtCommitAndNothingElseIsLeft)
{
    TempDir dir;
    const std::string dest = dir.file("out.mov");
    testsupport::writeFile(dest, "previous");
    auto file = AtomicFile::create(dest);
    ASSERT_TRUE(file) << file.message();
    ASSERT_TRUE(file.value().write("hello"));
    EXPECT_EQ(testsupport::readFile(dest), "previous");
    ASSERT_TRUE(file.value().commit());
    EXPECT_EQ(testsupport::readFile(dest), "hello");
    EXPECT_EQ(dir.entries(), std::vector<std::string> { "out.mov" });
    // A second commit is refused, not a crash.
    EXPECT_EQ(file.value().commit().code(), ErrorCode::InvalidState);
}

TEST(AtomicFile, DroppedOrMovedWithoutCommitLeavesTheOldFile)
{
    TempDir dir;
    testsupport::writeFile(dir.file("out.mov"), "previous");
    {
        auto file = AtomicFile::create(dir.file("out.mov"));
        ASSERT_TRUE(file);
        ASSERT_TRUE(file.value().write("partial"));
        AtomicFile moved = std::move(file).value();
        EXPECT_TRUE(testsupport::fileExists(moved.temporaryPath()));
    }
    EXPECT_EQ(testsupport::readFile(dir.file("out.mov")), "previous");
    EXPECT_EQ(dir.entries().size(), 1u);
}

TEST(AtomicFile, WhatIsNotARegularFileAtTheDestinationIsRefusedAndNothingOutsideIsWritten)
{
    TempDir dir, elsewhere;
    const std::string victim = elsewhere.file("precious.txt");
    testsupport::writeFile(victim, "keep me");
    ASSERT_EQ(::symlink(victim.c_str(), dir.file("link.mov").c_str()), 0);
    ASSERT_EQ(::mkdir(dir.file("folder.mov").c_str(), 0755), 0);
    ASSERT_EQ(::mkfifo(dir.file("fifo.mov").c_str(), 0644), 0);
    for (const char* name : { "link.mov", "folder.mov", "fifo.mov" }) {
        auto file = AtomicFile::create(dir.file(name));
        ASSERT_FALSE(file) << name;
        EXPECT_EQ(file.code(), ErrorCode::WriteFailed);
        EXPECT_NE(file.message().find("it is not replaced"), std::string::npos) << file.message();
        EXPECT_FALSE(foundation::writeFileAtomically(dir.file(name), "x")) << name;
        EXPECT_FALSE(plist::writeFileAtomically(PlistValue(1), dir.file(name))) << name;
    }
    EXPECT_EQ(testsupport::readFile(victim), "keep me");
    EXPECT_EQ(elsewhere.entries().size(), 1u);
    struct stat after;
    ASSERT_EQ(::lstat(dir.file("link.mov").c_str(), &after), 0);
    EXPECT_TRUE(S_ISLNK(after.st_mode));
    ASSERT_EQ(::lstat(dir.file("fifo.mov").c_str(), &after), 0);
    EXPECT_TRUE(S_ISFIFO(after.st_mode));
    EXPECT_EQ(dir.entries().size(), 3u) << "no temporary is left";
}

TEST(AtomicFile, WhatTakesTheDestinationWhileItWritesIsNotReplaced)
{
    TempDir dir;
    auto file = AtomicFile::create(dir.file("out.mov"));
    ASSERT_TRUE(file);
    ASSERT_TRUE(file.value().write("movie"));
    ASSERT_EQ(::mkfifo(dir.file("out.mov").c_str(), 0644), 0);
    auto committed = file.value().commit();
    ASSERT_FALSE(committed);
    EXPECT_NE(committed.message().find("not a regular file"), std::string::npos) << committed.message();
    EXPECT_EQ(dir.entries(), std::vector<std::string> { "out.mov" });
}

TEST(AtomicFile, AMissingFolderOrANameThatIsNoFileIsDescribed)
{
    TempDir dir;
    auto missing = AtomicFile::create(dir.file("no/such/dir/out.mov"));
    ASSERT_FALSE(missing);
    EXPECT_EQ(missing.code(), ErrorCode::WriteFailed);
    EXPECT_NE(missing.message().find("No such file or directory"), std::string::npos) << missing.message();
    EXPECT_EQ(AtomicFile::create(dir.path() + "/").code(), ErrorCode::InvalidArgument);
}

TEST(AtomicFile, PermissionsAreTheOnesAskedFor)
{
    TempDir dir;
    ASSERT_TRUE(foundation::writeFileAtomically(dir.file("tool"), "#!/bin/sh\n", 0755));
    struct stat info;
    ASSERT_EQ(::stat(dir.file("tool").c_str(), &info), 0);
    EXPECT_EQ(info.st_mode & 0777, 0755u);
}

TEST(AtomicFile, TheLongestLegalNameCanBeWritten)
{
    TempDir dir;
    // 250 bytes, ending in a character of three bytes, so a shortened
    // temporary must not cut it in half.
    std::string name = std::string(247, 'a') + "\xE2\x82\xAC";
    auto file = AtomicFile::create(dir.file(name));
    ASSERT_TRUE(file) << file.message();
    std::string temporary = nameOf(file.value().temporaryPath());
    EXPECT_LE(temporary.size(), static_cast<std::size_t>(NAME_MAX));
    EXPECT_EQ(AtomicFile::ownerOfTemporary(temporary), ::getpid()) << temporary;
    ASSERT_TRUE(file.value().write("x"));
    ASSERT_TRUE(file.value().commit());
    EXPECT_EQ(dir.entries(), std::vector<std::string> { name });

    std::string longest(NAME_MAX, 'b');
    EXPECT_TRUE(foundation::writeFileAtomically(dir.file(longest), "y"));
    EXPECT_TRUE(plist::writeFileAtomically(PlistValue(1), dir.file(std::string(NAME_MAX - 6, 'c') + ".plist")));
    EXPECT_EQ(dir.entries().size(), 3u);
}

TEST(AtomicFile, OnlyItsOwnTemporariesAreRecognised)
{
    EXPECT_EQ(AtomicFile::ownerOfTemporary(".out.mov.123-abcdefghij.part"), 123);
    EXPECT_EQ(AtomicFile::ownerOfTemporary(".my-movie.2.mov.77-abcdefghij.part"), 77);
    for (const char* other : { "out.mov", ".out.mov.abcdefghij.part", ".out.mov.12x-abcdefghij.part", "out.mov.12-abcdefghij.part",
             ".out.mov.12-ABCDEFGHIJ.part", ".out.mov.12-abcdefghi.part", ".out.mov.0-abcdefghij.part", "..12-abcdefghij.part",
             ".out.mov.12-abcdefghij.part.old" })
        EXPECT_EQ(AtomicFile::ownerOfTemporary(other), std::nullopt) << other;
}

TEST(AtomicFile, TheNextWriterSweepsOnlyTheLeftoversOfWritersThatAreGone)
{
    TempDir dir;
    const std::string gone = std::to_string(goneProcess());
    std::string stale = dir.file(".RPScreenRecording-1.mov." + gone + "-abcdefghij.part");
    testsupport::writeFile(stale, "half a movie");
    std::string staleLink = dir.file(".link." + gone + "-abcdefghij.part");
    ASSERT_EQ(::symlink("/nowhere", staleLink.c_str()), 0);
    std::string folder = dir.file(".folder." + gone + "-abcdefghij.part");
    ASSERT_EQ(::mkdir(folder.c_str(), 0755), 0);
    std::string alive = dir.file(".prefs.plist." + std::to_string(::getppid()) + "-abcdefghij.part");
    testsupport::writeFile(alive, "being written");
    std::string userFile = dir.file("notes." + gone + "-abcdefghij.part");
    testsupport::writeFile(userFile, "not ours");

    ASSERT_TRUE(plist::writeFileAtomically(PlistValue(1), dir.file("prefs.plist")));
    EXPECT_FALSE(testsupport::fileExists(stale));
    EXPECT_FALSE(testsupport::fileExists(staleLink));
    EXPECT_TRUE(std::filesystem::is_directory(folder));
    EXPECT_TRUE(testsupport::fileExists(alive));
    EXPECT_TRUE(testsupport::fileExists(userFile));
    EXPECT_TRUE(AtomicFile::removeStaleTemporaries(dir.path()).empty());
}

// Run in a process of its own by the test below: writes half a file and is
// killed before it can commit.
TEST(AtomicFile, DISABLED_KilledWriter)
{
    const char* folder = std::getenv("MARQEL_KILLED_WRITER_FOLDER");
    ASSERT_NE(folder, nullptr);
    auto file = AtomicFile::create(std::string(folder) + "/RPScreenRecording.mov");
    ASSERT_TRUE(file);
    ASSERT_TRUE(file.value().write("half a movie"));
    ::raise(SIGKILL);
}

TEST(AtomicFile, AKilledWritersLeftoverIsSweptByTheNextWriterInItsFolder)
{
    TempDir dir;
    pid_t writer = testsupport::startThisTest("AtomicFile.DISABLED_KilledWriter", { "MARQEL_KILLED_WRITER_FOLDER=" + dir.path() });
    ASSERT_GT(writer, 0);
    int status = 0;
    ASSERT_EQ(::waitpid(writer, &status, 0), writer);
    ASSERT_TRUE(WIFSIGNALED(status) && WTERMSIG(status) == SIGKILL);
    auto left = dir.entries();
    ASSERT_EQ(left.size(), 1u);
    EXPECT_EQ(AtomicFile::ownerOfTemporary(left.front()), writer) << left.front();

    ASSERT_TRUE(foundation::writeFileAtomically(dir.file("RPScreenRecording.mov"), "a whole movie"));
    EXPECT_EQ(dir.entries(), std::vector<std::string> { "RPScreenRecording.mov" });
}

TEST(AtomicFile, ALinkReplacesAFileOrALinkButNeverAFolder)
{
    TempDir dir;
    testsupport::writeFile(dir.file("file"), "x");
    ASSERT_EQ(::symlink("old", dir.file("link").c_str()), 0);
    ASSERT_EQ(::mkdir(dir.file("folder").c_str(), 0755), 0);
    for (const char* name : { "file", "link", "new" }) {
        ASSERT_TRUE(foundation::replaceWithSymlink(dir.file(name), "target")) << name;
        EXPECT_EQ(std::filesystem::read_symlink(dir.file(name)), "target");
    }
    EXPECT_FALSE(foundation::replaceWithSymlink(dir.file("folder"), "target"));
    EXPECT_TRUE(std::filesystem::is_directory(std::filesystem::symlink_status(dir.file("folder"))));
    EXPECT_EQ(dir.entries().size(), 4u);
}

TEST(AtomicFile, ANewFileNeverReplacesWhatAppearsAtItsNameWhileItIsWritten)
{
    TempDir dir;
    testsupport::writeFile(dir.file("movie.mov"), "the movie");
    for (const std::string taken : { "file", "link" }) {
        SCOPED_TRACE(taken);
        const std::string destination = dir.file("copy-" + taken + ".mov");
        auto file = AtomicFile::create(destination);
        ASSERT_TRUE(file);
        ASSERT_TRUE(file.value().copyFrom(dir.file("movie.mov")));
        if (taken == "file")
            testsupport::writeFile(destination, "someone else's");
        else
            std::filesystem::create_symlink("movie.mov", destination);
        auto committed = file.value().commitAsNew();
        ASSERT_FALSE(committed);
        EXPECT_NE(committed.message().find(destination + " "), std::string::npos) << committed.message();
        if (taken == "file")
            EXPECT_EQ(testsupport::readFile(destination), "someone else's");
        else
            EXPECT_TRUE(std::filesystem::is_symlink(destination));
    }
    auto fresh = AtomicFile::create(dir.file("fresh.mov"));
    ASSERT_TRUE(fresh);
    ASSERT_TRUE(fresh.value().copyFrom(dir.file("movie.mov")));
    ASSERT_TRUE(fresh.value().commitAsNew());
    EXPECT_EQ(testsupport::readFile(dir.file("fresh.mov")), "the movie");
    auto entries = dir.entries();
    std::sort(entries.begin(), entries.end());
    EXPECT_EQ(entries, (std::vector<std::string> { "copy-file.mov", "copy-link.mov", "fresh.mov", "movie.mov" })) << "no temporary is left";
}

TEST(AtomicFile, CopiesOnlyFromARegularFileAndNeverWaitsOnAFifo)
{
    TempDir dir;
    ASSERT_EQ(::mkfifo(dir.file("fifo").c_str(), 0644), 0);
    auto file = AtomicFile::create(dir.file("out"));
    ASSERT_TRUE(file);
    auto copied = file.value().copyFrom(dir.file("fifo"));
    ASSERT_FALSE(copied);
    EXPECT_NE(copied.message().find("is not a regular file"), std::string::npos) << copied.message();
}
