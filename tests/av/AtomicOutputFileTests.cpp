#include <gtest/gtest.h>
#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>

#include <fstream>

#include <string>

#include "platform/av/AtomicOutputFile.h"
#include "tests/support/Files.h"
#include "tests/support/TempDir.h"

using av::AtomicOutputFile;
using av::ErrorCode;
using testsupport::TempDir;

namespace {

void writeAll(int fd, const std::string& s)
{
    ASSERT_EQ(::write(fd, s.data(), s.size()), static_cast<ssize_t>(s.size()));
}

}  // namespace

TEST(AtomicOutputFile, NothingAtDestinationUntilCommit)
{
    TempDir dir;
    const std::string dest = dir.file("out.mov");
    auto file = AtomicOutputFile::create(dest);
    ASSERT_TRUE(file) << file.error().message;
    writeAll(file.value().fd(), "hello");
    EXPECT_FALSE(testsupport::fileExists(dest));
    ASSERT_TRUE(file.value().commit());
    EXPECT_EQ(testsupport::readFile(dest), "hello");
    EXPECT_EQ(dir.entries().size(), 1u);
}

TEST(AtomicOutputFile, DroppedWithoutCommitLeavesNoTrace)
{
    TempDir dir;
    testsupport::writeFile(dir.file("out.mov"), "previous");
    {
        auto file = AtomicOutputFile::create(dir.file("out.mov"));
        ASSERT_TRUE(file);
        writeAll(file.value().fd(), "partial");
    }
    EXPECT_EQ(testsupport::readFile(dir.file("out.mov")), "previous");
    EXPECT_EQ(dir.entries().size(), 1u);
}

TEST(AtomicOutputFile, CommitReplacesSymlinkInsteadOfFollowingIt)
{
    TempDir dir, elsewhere;
    const std::string victim = elsewhere.file("precious.txt");
    testsupport::writeFile(victim, "keep me");
    ASSERT_EQ(::symlink(victim.c_str(), dir.file("out.mov").c_str()), 0);
    auto file = AtomicOutputFile::create(dir.file("out.mov"));
    ASSERT_TRUE(file);
    writeAll(file.value().fd(), "movie");
    ASSERT_TRUE(file.value().commit());
    EXPECT_EQ(testsupport::readFile(victim), "keep me");
    EXPECT_TRUE(testsupport::isRegularFile(dir.file("out.mov")));
    EXPECT_EQ(testsupport::readFile(dir.file("out.mov")), "movie");
}

TEST(AtomicOutputFile, MissingDirectoryIsDescribed)
{
    TempDir dir;
    auto file = AtomicOutputFile::create(dir.file("no/such/dir/out.mov"));
    ASSERT_FALSE(file);
    EXPECT_EQ(file.error().code, ErrorCode::WriteFailed);
    EXPECT_NE(file.error().message.find("No such file or directory"), std::string::npos) << file.error().message;
}

TEST(AtomicOutputFile, DirectoryAtDestinationFailsCleanly)
{
    TempDir dir;
    ASSERT_EQ(::mkdir(dir.file("out.mov").c_str(), 0755), 0);
    auto file = AtomicOutputFile::create(dir.file("out.mov"));
    ASSERT_TRUE(file);
    writeAll(file.value().fd(), "movie");
    const av::Status st = file.value().commit();
    ASSERT_FALSE(st);
    EXPECT_EQ(st.error().code, ErrorCode::WriteFailed);
    EXPECT_EQ(dir.entries().size(), 1u);  // only the directory, no leftovers
}

TEST(AtomicOutputFile, AFifoAtDestinationIsNeverReplaced)
{
    TempDir dir;
    ASSERT_EQ(::mkfifo(dir.file("out.mov").c_str(), 0644), 0);
    auto file = AtomicOutputFile::create(dir.file("out.mov"));
    ASSERT_TRUE(file);
    writeAll(file.value().fd(), "movie");
    const av::Status st = file.value().commit();
    ASSERT_FALSE(st);
    EXPECT_NE(st.error().message.find("not a regular file"), std::string::npos) << st.error().message;
    struct stat after;
    ASSERT_EQ(::lstat(dir.file("out.mov").c_str(), &after), 0);
    EXPECT_TRUE(S_ISFIFO(after.st_mode));
    EXPECT_EQ(dir.entries().size(), 1u);
}

TEST(AtomicOutputFile, TemporaryNamesCarryTheirOwner)
{
    TempDir dir;
    auto file = AtomicOutputFile::create(dir.file("out.mov"));
    ASSERT_TRUE(file);
    std::string name = file.value().temporaryPath().substr(file.value().temporaryPath().find_last_of('/') + 1);
    EXPECT_EQ(AtomicOutputFile::ownerOfTemporary(name), ::getpid()) << name;
    EXPECT_EQ(AtomicOutputFile::ownerOfTemporary("out.mov"), std::nullopt);
    EXPECT_EQ(AtomicOutputFile::ownerOfTemporary(".out.mov.abcdefghij.part"), std::nullopt);
    EXPECT_EQ(AtomicOutputFile::ownerOfTemporary(".out.mov.12x-abcdefghij.part"), std::nullopt);
}

TEST(AtomicOutputFile, StaleTemporariesOfAGoneProcessAreRemoved)
{
    TempDir dir;
    // A pid that certainly belongs to no process any more.
    pid_t child = ::fork();
    ASSERT_GE(child, 0);
    if (child == 0)
        ::_exit(0);
    ASSERT_EQ(::waitpid(child, nullptr, 0), child);

    std::string stale = dir.file(".RPScreenRecording-1.mov." + std::to_string(child) + "-abcdefghij.part");
    std::ofstream(stale) << "half a movie";
    std::string mine = dir.file(".MarqelCroppedVideo.mp4." + std::to_string(::getpid()) + "-abcdefghij.part");
    std::ofstream(mine) << "being written";
    std::string userFile = dir.file("notes." + std::to_string(child) + "-abcdefghij.part");
    std::ofstream(userFile) << "not ours";
    auto live = AtomicOutputFile::create(dir.file("out.mov"));
    ASSERT_TRUE(live);

    auto removed = AtomicOutputFile::removeStaleTemporaries(dir.path());
    EXPECT_EQ(removed, std::vector<std::string> { stale });
    EXPECT_FALSE(testsupport::fileExists(stale));
    EXPECT_TRUE(testsupport::fileExists(mine));
    EXPECT_TRUE(testsupport::fileExists(userFile));
    EXPECT_TRUE(testsupport::fileExists(live.value().temporaryPath()));
}

TEST(AtomicOutputFile, TrailingSlashIsNotAFileName)
{
    auto file = AtomicOutputFile::create("/tmp/");
    ASSERT_FALSE(file);
    EXPECT_EQ(file.error().code, ErrorCode::InvalidArgument);
}

TEST(AtomicOutputFile, MoveKeepsOwnership)
{
    TempDir dir;
    auto file = AtomicOutputFile::create(dir.file("a.mov"));
    ASSERT_TRUE(file);
    AtomicOutputFile moved = std::move(file).value();
    writeAll(moved.fd(), "x");
    ASSERT_TRUE(moved.commit());
    EXPECT_TRUE(testsupport::isRegularFile(dir.file("a.mov")));
    EXPECT_FALSE(moved.commit());  // a second commit is refused, not a crash
}
