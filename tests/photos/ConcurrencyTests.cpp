#include "TestLibrary.h"

#include <sys/wait.h>
#include <unistd.h>

#include <algorithm>
#include <cstdio>
#include <set>
#include <thread>

namespace photos::test {

namespace {

constexpr int filesPerWriter = 25;

// Runs in a forked child: no gtest assertions here, only an exit status.
int importAll(const std::filesystem::path& root, const std::vector<std::filesystem::path>& sources, int startSignal)
{
    char go = 0;
    if (::read(startSignal, &go, 1) != 1)
        return 10;
    // Opening after the signal makes both processes race to create the
    // library as well.
    auto opened = PhotoLibraryStore::open(root);
    if (!opened) {
        std::fprintf(stderr, "open: %s\n", opened.message().c_str());
        return 11;
    }
    for (const auto& source : sources) {
        auto imported = opened.value()->importFile(source, MediaType::Video, MediaFacts { 1170, 2532, 3 }, 1000);
        if (!imported) {
            std::fprintf(stderr, "import: %s\n", imported.message().c_str());
            return 12;
        }
    }
    return 0;
}

}  // namespace

class Concurrency : public TestLibrary {
protected:
    std::vector<std::filesystem::path> makeSources(const std::string& writer)
    {
        std::vector<std::filesystem::path> sources;
        for (int i = 0; i < filesPerWriter; ++i)
            sources.push_back(makeSource(writer + ".mov", writer + " clip " + std::to_string(i)));
        return sources;
    }

    // Every asset is distinct, has its own file, and the folder holds nothing
    // but those files.
    void expectIntactLibrary(std::size_t count, const std::set<std::string>& expectedContents)
    {
        auto store = openStore();
        ASSERT_TRUE(store);
        auto fetched = store->fetch();
        ASSERT_TRUE(fetched.ok()) << fetched.message();
        ASSERT_EQ(fetched.value().size(), count);
        std::set<std::string> identifiers, paths, contents;
        for (const auto& record : fetched.value()) {
            identifiers.insert(record.localIdentifier);
            paths.insert(record.relativePath);
            ASSERT_TRUE(store->hasFile(record)) << record.relativePath;
            contents.insert(readFile(store->filePath(record).value()));
        }
        EXPECT_EQ(identifiers.size(), count);
        EXPECT_EQ(paths.size(), count);
        EXPECT_EQ(contents, expectedContents);
        EXPECT_EQ(cameraFolderNames().size(), count);
    }
};

TEST_F(Concurrency, TwoProcessesImportingAtOnceLoseNothing)
{
    auto first = makeSources("first");
    auto second = makeSources("second");
    int signal[2];
    ASSERT_EQ(::pipe(signal), 0);

    std::vector<pid_t> children;
    for (const auto* sources : { &first, &second }) {
        pid_t pid = ::fork();
        ASSERT_GE(pid, 0);
        if (pid == 0) {
            ::close(signal[1]);
            ::_exit(importAll(root(), *sources, signal[0]));
        }
        children.push_back(pid);
    }
    ::close(signal[0]);
    ASSERT_EQ(::write(signal[1], "gg", 2), 2);
    ::close(signal[1]);

    for (pid_t child : children) {
        int status = 0;
        ASSERT_EQ(::waitpid(child, &status, 0), child);
        ASSERT_TRUE(WIFEXITED(status));
        EXPECT_EQ(WEXITSTATUS(status), 0);
    }

    std::set<std::string> expected;
    for (const auto& source : first)
        expected.insert(readFile(source));
    for (const auto& source : second)
        expected.insert(readFile(source));
    expectIntactLibrary(2 * filesPerWriter, expected);
}

TEST_F(Concurrency, ThreadsSharingOneStoreLoseNothing)
{
    auto store = openStore();
    ASSERT_TRUE(store);
    auto first = makeSources("left");
    auto second = makeSources("right");
    std::atomic<int> failures { 0 };
    auto importer = [&](const std::vector<std::filesystem::path>& sources) {
        for (const auto& source : sources) {
            if (!store->importFile(source, MediaType::Video, {}, 1))
                ++failures;
        }
    };
    std::thread left(importer, std::cref(first));
    std::thread right(importer, std::cref(second));
    left.join();
    right.join();
    EXPECT_EQ(failures.load(), 0);

    std::set<std::string> expected;
    for (const auto& source : first)
        expected.insert(readFile(source));
    for (const auto& source : second)
        expected.insert(readFile(source));
    expectIntactLibrary(2 * filesPerWriter, expected);
}

}  // namespace photos::test
