#include "platform/foundation/Foundation.h"
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

TEST(DevicePath, MapsUnderTheRootAndRefusesEscapes)
{
    TestDevice device;
    EXPECT_EQ(*DevicePath::toHost("/var/mobile/Library/x.plist"), device.root() + "/var/mobile/Library/x.plist");
    EXPECT_EQ(*DevicePath::toHost("/tmp/a/../b"), device.root() + "/tmp/b");
    EXPECT_FALSE(DevicePath::toHost("/../etc/passwd"));
    EXPECT_FALSE(DevicePath::toHost("/tmp/../../etc"));
    EXPECT_FALSE(DevicePath::toHost("relative/path"));
    EXPECT_EQ(DevicePath::host("/../../etc/passwd").rfind(device.root(), 0), 0u) << "a refused path still stays inside";
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
    EXPECT_EQ(back->get<PlistDict>()->size(), 1u);
    int files = 0;
    for ([[maybe_unused]] const auto& entry : std::filesystem::directory_iterator(std::filesystem::path(path).parent_path()))
        ++files;
    EXPECT_EQ(files, 1);
    // A write that cannot happen reports failure and leaves the old file.
    std::filesystem::create_directories(device.host("/blocked.plist"));
    EXPECT_FALSE(plist::writeFileAtomically(PlistValue(small), device.host("/blocked.plist")));
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

TEST(DistributedNotificationCenter, CrossesProcessesAndCleansUpDeadObservers)
{
    TestDevice device;
    auto center = NSDistributedNotificationCenter::defaultCenter();
    auto listener = alloc<Listener>();
    center->addObserver(listener, sel_registerName("heard:"), "com.example/hello", nullptr);

    // A dead observer's socket, left behind by a process that is gone.
    std::string folder = device.host(NSDistributedNotificationCenter::runFolder);
    pid_t dead = fork();
    if (dead == 0) {
        int fd = socket(AF_UNIX, SOCK_DGRAM, 0);
        sockaddr_un address {};
        address.sun_family = AF_UNIX;
        std::string path = folder + "/dead.sock";
        std::strcpy(address.sun_path, path.c_str());
        bind(fd, reinterpret_cast<sockaddr*>(&address), sizeof address);
        _exit(0);
    }
    waitpid(dead, nullptr, 0);
    ASSERT_TRUE(std::filesystem::exists(folder + "/dead.sock"));

    RunLoop::main().reset(ClockKind::Real);
    pid_t poster = fork();
    if (poster == 0) {
        NSDistributedNotificationCenter::defaultCenter()->postNotificationName("com.example/hello", nullptr);
        _exit(0);
    }
    int status = 0;
    waitpid(poster, &status, 0);
    EXPECT_EQ(WEXITSTATUS(status), 0);
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
