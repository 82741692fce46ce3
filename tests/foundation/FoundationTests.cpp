#include "platform/foundation/Foundation.h"
#include "tests/support/Program.h"
#include "tests/support/TempDir.h"
#include "tests/support/TestDevice.h"

#include <gtest/gtest.h>

#include <cstring>
#include <filesystem>
#include <fstream>
#include <set>
#include <sys/socket.h>
#include <sys/un.h>
#include <sys/wait.h>
#include <unistd.h>

namespace {

class Listener : public Object {
    MARQEL_OBJECT(Listener, Object)
public:
    void heard(const std::shared_ptr<NSNotification>& note) { names.push_back(note->name()); }
    void ping() { ++pings; }
    std::vector<std::string> names;
    int pings = 0;
};

}  // namespace

MARQEL_DEFINE_CLASS(Listener, method<&Listener::heard>("heard:"), method<&Listener::ping>("ping"))

namespace {

std::shared_ptr<NSDictionary> dict()
{
    auto contents = alloc<NSMutableDictionary>();
    contents->setObject(PlistValue(1), "one");
    return contents;
}

TEST(DevicePath, MapsUnderTheRootAndRefusesEscapes)
{
    TestDevice device;
    EXPECT_EQ(DevicePath::toHost("/var/mobile/Library/x.plist").value(), device.root() + "/var/mobile/Library/x.plist");
    EXPECT_EQ(DevicePath::toHost("/tmp/a/../b").value(), device.root() + "/tmp/b");
    EXPECT_FALSE(DevicePath::toHost("/../etc/passwd"));
    EXPECT_FALSE(DevicePath::toHost("/tmp/../../etc"));
    auto relative = DevicePath::toHost("relative/path");
    ASSERT_FALSE(relative);
    EXPECT_EQ(relative.code(), foundation::ErrorCode::InvalidArgument);
    EXPECT_EQ(relative.message(), "device path \"relative/path\" is not absolute");
    auto escape = DevicePath::makeParents("/../etc/x");
    ASSERT_FALSE(escape);
    EXPECT_EQ(escape.message(), "device path \"/../etc/x\" leaves the device");
}

TEST(DevicePath, RefusesLinksThatLeadOutOfTheRoot)
{
    TestDevice device;
    testsupport::TempDir outside;
    namespace fs = std::filesystem;
    fs::create_directories(device.root() + "/var/mobile/Media/DCIM");
    fs::create_symlink(outside.path(), device.root() + "/var/mobile/Media/DCIM/100APPLE");
    auto planted = DevicePath::toHost("/var/mobile/Media/DCIM/100APPLE/IMG_0001.MOV");
    ASSERT_FALSE(planted);
    EXPECT_NE(planted.message().find("leads out of the device root through a symbolic link"), std::string::npos) << planted.message();
    auto url = NSURL::fileURLWithPath("/var/mobile/Media/DCIM/100APPLE/IMG_0001.MOV");
    ASSERT_FALSE(url->hostPath());
    EXPECT_EQ(url->hostPath().message(), planted.message());
    // The system log's folder planted the same way: lines stay in memory,
    // nothing lands outside.
    fs::create_directories(device.root() + "/var");
    fs::create_symlink(outside.path(), device.root() + "/var/log");
    NSLog("a line for a log that is not there");
    EXPECT_EQ(SystemLog::shared().lines().back(), "a line for a log that is not there");
    EXPECT_FALSE(DevicePath::makeParents("/var/mobile/Media/DCIM/100APPLE/sub/x"));
    EXPECT_TRUE(fs::is_empty(outside.path())) << "nothing is made outside the root";

    // A link that stays inside the root is the device's own and is followed.
    fs::create_directories(device.root() + "/var/mobile/real");
    fs::create_symlink(device.root() + "/var/mobile/real", device.root() + "/var/mobile/inside");
    EXPECT_TRUE(DevicePath::toHost("/var/mobile/inside/file"));
}

TEST(PropertyList, KeepsOrderAndTypesAndReadsBinary)
{
    TestDevice device;
    auto dict = alloc<NSMutableDictionary>();
    dict->setObject(PlistValue(true), "zeta");
    dict->setObject(PlistValue(std::int64_t(-5)), "alpha");
    dict->setObject(PlistValue(2.5), "mid");
    PlistDict nested;
    nested.set("name", PlistValue("Area"));
    dict->setObject(PlistValue(nested), "nested");
    ASSERT_TRUE(dict->writeToFile("/var/mobile/test.plist", true));
    auto back = NSDictionary::dictionaryWithContentsOfFile("/var/mobile/test.plist");
    ASSERT_TRUE(back);
    std::vector<std::string> keys;
    for (const auto& [key, value] : back->contents())
        keys.push_back(key);
    EXPECT_EQ(keys, (std::vector<std::string> { "zeta", "alpha", "mid", "nested" }));
    EXPECT_EQ(*back->objectForKey("alpha")->get<std::int64_t>(), -5);
    EXPECT_EQ(*back->objectForKey("nested")->get<PlistDict>()->find("name")->get<std::string>(), "Area");

    // Binary property lists are read too.
    static const unsigned char binary[] = { 'b', 'p', 'l', 'i', 's', 't', '0', '0', 0xD1, 0x01, 0x02, 0x51, 'k', 0x09,
        0x08, 0x0B, 0x0D, 0, 0, 0, 0, 0, 0, 1, 1, 0, 0, 0, 0, 0, 0, 0, 3, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0x0E };
    std::ofstream(device.host("/var/mobile/binary.plist"), std::ios::binary).write(reinterpret_cast<const char*>(binary), sizeof binary);
    auto fromBinary = NSDictionary::dictionaryWithContentsOfFile("/var/mobile/binary.plist");
    ASSERT_TRUE(fromBinary);
    EXPECT_TRUE(*fromBinary->objectForKey("k")->get<bool>());
}

TEST(PropertyList, NothingForMissingUnreadableOrNonDictionaryFiles)
{
    TestDevice device;
    EXPECT_FALSE(NSDictionary::dictionaryWithContentsOfFile("/var/mobile/missing.plist"));
    std::ofstream(device.host("/garbage.plist")) << "not a plist at all";
    EXPECT_FALSE(NSDictionary::dictionaryWithContentsOfFile("/garbage.plist"));
    ASSERT_TRUE(plist::writeFileAtomically(PlistValue(PlistArray { PlistValue(1) }), device.host("/array.plist")));
    EXPECT_FALSE(NSDictionary::dictionaryWithContentsOfFile("/array.plist"));
}

TEST(PropertyList, AtomicWritesLeaveNoTemporaryFilesAndReplaceWhole)
{
    TestDevice device;
    std::string path = device.host("/var/mobile/Library/Preferences/a.plist");
    PlistDict big;
    for (int i = 0; i < 500; ++i)
        big.set("key" + std::to_string(i), PlistValue(std::string(100, 'x')));
    ASSERT_TRUE(plist::writeFileAtomically(PlistValue(big), path));
    PlistDict small;
    small.set("only", PlistValue(1));
    ASSERT_TRUE(plist::writeFileAtomically(PlistValue(small), path));
    auto back = plist::readFile(path);
    ASSERT_TRUE(back);
    EXPECT_EQ(back.value().get<PlistDict>()->size(), 1u);
    int files = 0;
    for ([[maybe_unused]] const auto& entry : std::filesystem::directory_iterator(std::filesystem::path(path).parent_path()))
        ++files;
    EXPECT_EQ(files, 1);
    // A write that cannot happen reports failure and leaves the old file.
    std::filesystem::create_directories(device.host("/blocked.plist"));
    auto blocked = plist::writeFileAtomically(PlistValue(small), device.host("/blocked.plist"));
    ASSERT_FALSE(blocked);
    EXPECT_EQ(blocked.code(), foundation::ErrorCode::WriteFailed);
    EXPECT_NE(blocked.message().find(device.host("/blocked.plist")), std::string::npos) << blocked.message();
    EXPECT_TRUE(std::filesystem::is_directory(device.host("/blocked.plist")));
    EXPECT_FALSE(dict()->writeToFile("/../outside.plist", true)) << "the bare form says no as well";
}

TEST(PropertyList, AFailedReadSaysWhy)
{
    TestDevice device;
    auto missing = plist::readFile(device.host("/var/mobile/missing.plist"));
    ASSERT_FALSE(missing);
    EXPECT_EQ(missing.code(), foundation::ErrorCode::NotFound);
    EXPECT_NE(missing.message().find("missing.plist"), std::string::npos);
    std::ofstream(device.host("/garbage.plist")) << "not a plist at all";
    auto garbage = plist::readFile(device.host("/garbage.plist"));
    ASSERT_FALSE(garbage);
    EXPECT_EQ(garbage.code(), foundation::ErrorCode::UnreadableInput);
    EXPECT_EQ(plist::parse("").code(), foundation::ErrorCode::UnreadableInput);
    std::filesystem::create_directories(device.host("/folder.plist"));
    EXPECT_FALSE(plist::readFile(device.host("/folder.plist")));
}

TEST(NotificationCenter, DeliversBySelectorNameAndObject)
{
    TestDevice device;
    auto center = alloc<NSNotificationCenter>();
    auto listener = alloc<Listener>();
    auto sender = alloc<Listener>();
    center->addObserver(listener, sel_registerName("heard:"), "Done", nullptr);
    center->addObserver(listener, sel_registerName("ping"), "", sender);
    center->postNotificationName("Done", nullptr);
    center->postNotificationName("Other", sender);
    center->postNotificationName("Other", nullptr);
    EXPECT_EQ(listener->names, (std::vector<std::string> { "Done" }));
    EXPECT_EQ(listener->pings, 1);
    listener.reset();
    center->postNotificationName("Done", nullptr);  // a gone observer is simply skipped
    EXPECT_EQ(center->observerCount(), 0u);
}

// The other process of the test below.
TEST(DistributedNotificationCenter, DISABLED_PosterProcess)
{
    const char* root = std::getenv("MARQEL_TEST_POSTER_ROOT");
    if (!root)
        GTEST_SKIP() << "only as another test's poster";
    DevicePath::setRoot(root);
    NSDistributedNotificationCenter::defaultCenter()->postNotificationName("com.example/hello", nullptr);
}

TEST(DistributedNotificationCenter, CrossesProcessesAndCleansUpDeadObservers)
{
    TestDevice device;
    auto center = NSDistributedNotificationCenter::defaultCenter();
    auto listener = alloc<Listener>();
    center->addObserver(listener, sel_registerName("heard:"), "com.example/hello", nullptr);

    // A dead observer's socket, left behind by a process that is gone.
    std::string folder = device.host(NSDistributedNotificationCenter::runFolder);
    // Made before the fork: the child, a copy of a process with threads,
    // may only make system calls.
    sockaddr_un address {};
    address.sun_family = AF_UNIX;
    std::string path = folder + "/dead.sock";
    ASSERT_LT(path.size(), sizeof address.sun_path);
    std::strcpy(address.sun_path, path.c_str());
    pid_t dead = fork();
    if (dead == 0) {
        int fd = socket(AF_UNIX, SOCK_DGRAM, 0);
        bind(fd, reinterpret_cast<sockaddr*>(&address), sizeof address);
        _exit(0);
    }
    waitpid(dead, nullptr, 0);
    ASSERT_TRUE(std::filesystem::exists(folder + "/dead.sock"));

    RunLoop::main().reset(ClockKind::Real);
    EXPECT_TRUE(testsupport::finishedWell(testsupport::startThisTest("DistributedNotificationCenter.DISABLED_PosterProcess",
        { "MARQEL_TEST_POSTER_ROOT=" + device.root() })));
    EXPECT_TRUE(RunLoop::main().runUntil([&] { return !listener->names.empty(); }, 5));
    EXPECT_EQ(listener->names, (std::vector<std::string> { "com.example/hello" }));
    EXPECT_FALSE(std::filesystem::exists(folder + "/dead.sock"));
    center->shutdown();
    RunLoop::main().reset(ClockKind::Virtual);
}

TEST(NSLog, FormatsObjectsGeometryAndNumbers)
{
    EXPECT_EQ(logformat::format("marqel: frame %@, isMicrophoneEnabled %d", { CGRectMake(20, 100, 250.5, 250), 1 }),
        "marqel: frame {{20, 100}, {250.5, 250}}, isMicrophoneEnabled 1");
    EXPECT_EQ(logformat::format("x:%f ,y:%f", { 70.0, 297 }), "x:70.000000 ,y:297.000000");
    EXPECT_EQ(logformat::format("W:%.f H:%.f", { 249.6, 150.0 }), "W:250 H:150");
    EXPECT_EQ(logformat::format("%@ and %s and %%", { std::string("a"), "b" }), "a and b and %");
    EXPECT_EQ(logformat::format("%d %d", { 1 }), "1 (missing)");
}

TEST(ProcessInfo, UniqueStringsDifferAcrossProcesses)
{
    std::set<std::string> seen;
    for (int i = 0; i < 100; ++i)
        seen.insert(NSProcessInfo::processInfo()->globallyUniqueString());
    int pipefd[2];
    ASSERT_EQ(pipe(pipefd), 0);
    pid_t child = fork();
    if (child == 0) {
        std::string s = NSProcessInfo::processInfo()->globallyUniqueString();
        [[maybe_unused]] auto n = write(pipefd[1], s.data(), s.size());
        _exit(0);
    }
    char buffer[64] = {};
    [[maybe_unused]] auto n = read(pipefd[0], buffer, sizeof buffer - 1);
    waitpid(child, nullptr, 0);
    seen.insert(buffer);
    EXPECT_EQ(seen.size(), 101u);
}

}  // namespace

namespace {

TEST(Bundle, ALoadThatFailsSaysWhyAndStaysUnloaded)
{
    TestDevice device;
    NSBundle::resetAll();
    NSBundle::registerLoader("/System/Library/PrivateFrameworks/Broken.framework", [] { return false; });
    auto broken = NSBundle::bundleWithPath("/System/Library/PrivateFrameworks/Broken.framework");
    ASSERT_TRUE(broken);
    auto loaded = broken->loadAndReturnError();
    ASSERT_FALSE(loaded);
    EXPECT_EQ(loaded.message(), "cannot load /System/Library/PrivateFrameworks/Broken.framework: its loader failed");
    EXPECT_FALSE(broken->isLoaded());

    std::filesystem::create_directories(device.host("/Library/Empty.bundle"));
    auto empty = NSBundle::bundleWithPath("/Library/Empty.bundle");
    ASSERT_TRUE(empty);
    std::size_t mark = SystemLog::shared().lineCount();
    EXPECT_FALSE(empty->load());
    auto lines = SystemLog::shared().lines(mark);
    ASSERT_EQ(lines.size(), 1u);
    EXPECT_NE(lines.front().find("NSBundle: cannot load /Library/Empty.bundle: "), std::string::npos) << lines.front();
    EXPECT_FALSE(empty->isLoaded());
    NSBundle::resetAll();
}

}  // namespace
