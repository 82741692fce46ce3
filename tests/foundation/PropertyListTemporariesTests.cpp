// A writer killed between writing its temporary and renaming it leaves the
// temporary behind; the next write of the same file clears it, and only it.

#include "platform/foundation/PropertyList.h"
#include "tests/support/TempDir.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <fcntl.h>
#include <filesystem>
#include <fstream>
#include <sys/wait.h>
#include <unistd.h>

namespace {

class PropertyListTemporaries : public ::testing::Test {
protected:
    std::string target() const { return m_folder.file("prefs.plist"); }
    std::vector<std::string> names() const
    {
        auto entries = m_folder.entries();
        std::sort(entries.begin(), entries.end());
        return entries;
    }
    void touch(const std::string& name) const { std::ofstream(m_folder.file(name)) << "half a file"; }
    // A process that creates its temporary the way a writer does, then dies
    // before the rename, as a kill would leave it.
    std::string temporaryOfAWriterThatDied() const
    {
        int pipeEnds[2];
        EXPECT_EQ(::pipe(pipeEnds), 0);
        pid_t child = ::fork();
        if (child == 0) {
            std::string name = plist::temporaryPrefix(target(), ::getpid()) + "Ab12Cd";
            int fd = ::open(m_folder.file(name).c_str(), O_WRONLY | O_CREAT | O_EXCL, 0644);
            (void)!::write(pipeEnds[1], name.data(), name.size());
            ::_exit(fd >= 0 ? 0 : 1);
        }
        ::close(pipeEnds[1]);
        char buffer[256];
        ssize_t n = ::read(pipeEnds[0], buffer, sizeof buffer);
        ::close(pipeEnds[0]);
        int status = 0;
        ::waitpid(child, &status, 0);
        EXPECT_TRUE(WIFEXITED(status) && WEXITSTATUS(status) == 0);
        return std::string(buffer, n > 0 ? static_cast<std::size_t>(n) : 0);
    }

    testsupport::TempDir m_folder { "marqel-plist-temporaries" };
};

TEST_F(PropertyListTemporaries, AWriteLeavesOnlyTheFile)
{
    ASSERT_TRUE(plist::writeFileAtomically(PlistValue(PlistDict()), target()).ok());
    EXPECT_EQ(names(), std::vector<std::string> { "prefs.plist" });
}

TEST_F(PropertyListTemporaries, TheNextWriteRemovesTheTemporaryOfAWriterThatIsGone)
{
    std::string left = temporaryOfAWriterThatDied();
    ASSERT_FALSE(left.empty());
    ASSERT_EQ(names(), std::vector<std::string> { left });
    ASSERT_TRUE(plist::writeFileAtomically(PlistValue(PlistDict()), target()).ok());
    EXPECT_EQ(names(), std::vector<std::string> { "prefs.plist" });
}

TEST_F(PropertyListTemporaries, ALiveWritersTemporaryIsLeftAlone)
{
    // This process and its parent are alive, whatever they are writing.
    std::string ours = plist::temporaryPrefix(target(), ::getpid()) + "Zz9Yy8";
    std::string parents = plist::temporaryPrefix(target(), ::getppid()) + "Qq7Ww6";
    touch(ours);
    touch(parents);
    ASSERT_TRUE(plist::writeFileAtomically(PlistValue(PlistDict()), target()).ok());
    auto after = names();
    EXPECT_EQ(std::count(after.begin(), after.end(), ours), 1);
    EXPECT_EQ(std::count(after.begin(), after.end(), parents), 1);
}

TEST_F(PropertyListTemporaries, FilesThatOnlyLookAlikeAreLeftAlone)
{
    std::string dead = temporaryOfAWriterThatDied();
    std::string pid = dead.substr(std::string(".prefs.plist.").size(), dead.size() - std::string(".prefs.plist.").size() - 7);
    std::vector<std::string> lookAlikes {
        ".prefs.plist.backup",  // no pid
        ".prefs.plist." + pid + "x.Ab12Cd",  // not a number
        ".prefs.plist." + pid + ".Ab12Cd.old",  // longer tail
        ".other.plist." + pid + ".Ab12Cd",  // another file's
        "prefs.plist." + pid + ".Ab12Cd",  // not hidden
    };
    std::filesystem::remove(m_folder.file(dead));
    for (const auto& name : lookAlikes)
        touch(name);
    ASSERT_TRUE(plist::writeFileAtomically(PlistValue(PlistDict()), target()).ok());
    auto after = names();
    for (const auto& name : lookAlikes)
        EXPECT_EQ(std::count(after.begin(), after.end(), name), 1) << name;
}

TEST_F(PropertyListTemporaries, ADirectoryWithATemporarysNameIsNeverRemoved)
{
    std::string dead = temporaryOfAWriterThatDied();
    std::filesystem::remove(m_folder.file(dead));
    std::filesystem::create_directory(m_folder.file(dead));
    EXPECT_TRUE(plist::removeAbandonedTemporaries(target()).empty());
    EXPECT_TRUE(std::filesystem::is_directory(m_folder.file(dead)));
}

}  // namespace
