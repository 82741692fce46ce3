#include "platform/runtime/Substrate.h"

#include <gtest/gtest.h>

#include <cstdlib>
#include <filesystem>

namespace {

class Greeter : public Object {
    MARQEL_OBJECT(Greeter, Object)
public:
    std::string greet(const std::string& name) { return greeting + ", " + name; }
    std::int64_t add(std::int64_t a, std::int64_t b) { return a + b; }
    void remember(const std::shared_ptr<Greeter>& other) { friendOf = other; }
    std::string greeting = "hello";
    std::shared_ptr<Greeter> friendOf;
};

class LoudGreeter : public Greeter {
    MARQEL_OBJECT(LoudGreeter, Greeter)
};

}  // namespace

MARQEL_DEFINE_CLASS(Greeter,
    method<&Greeter::greet>("greet:"),
    method<&Greeter::add>("add:to:"),
    method<&Greeter::remember>("remember:"))
MARQEL_DEFINE_CLASS(LoudGreeter)

namespace {

// A hook for the length of one test: the implementation it replaced goes
// back when the test ends, so no test sees another's hooks, in any order.
class ScopedHook {
public:
    template <class R, class... A>
    ScopedHook(Class cls, const char* selector, R (*replacement)(Object*, SEL, A...), R (**previous)(Object*, SEL, A...))
        : m_class(cls)
        , m_selector(sel_registerName(selector))
    {
        MSHookMessageEx(cls, m_selector, replacement, previous);
        m_previous = reinterpret_cast<IMP>(*previous);
    }
    ~ScopedHook()
    {
        if (m_previous)
            method_setImplementation(class_getInstanceMethod(m_class, m_selector), m_previous);
    }
    ScopedHook(const ScopedHook&) = delete;
    ScopedHook& operator=(const ScopedHook&) = delete;

private:
    Class m_class;
    SEL m_selector;
    IMP m_previous = nullptr;
};

// Sends the substrate's log lines to a list for the length of one test.
class ScopedSubstrateLog {
public:
    ScopedSubstrateLog()
    {
        substrate::setLogger([this](const std::string& line) { lines.push_back(line); });
    }
    ~ScopedSubstrateLog() { substrate::setLogger(nullptr); }
    ScopedSubstrateLog(const ScopedSubstrateLog&) = delete;
    ScopedSubstrateLog& operator=(const ScopedSubstrateLog&) = delete;
    std::vector<std::string> lines;
};

std::string (*previousGreet)(Object*, SEL, std::string);
std::string politeGreet(Object* self, SEL cmd, std::string name) { return previousGreet(self, cmd, name) + ", please"; }
std::string (*previousGreet2)(Object*, SEL, std::string);
std::string shoutGreet(Object* self, SEL cmd, std::string name) { return previousGreet2(self, cmd, name) + "!"; }

TEST(Runtime, ClassesAndSelectorsAreFoundByName)
{
    EXPECT_EQ(objc_getClass("Greeter"), Greeter::classObject());
    EXPECT_EQ(class_getSuperclass(objc_getClass("LoudGreeter")), objc_getClass("Greeter"));
    EXPECT_EQ(objc_getClass("NoSuchClass"), nullptr);
    EXPECT_EQ(sel_registerName("greet:"), sel_registerName(std::string("gre") + "et:"));
    auto greeter = alloc<LoudGreeter>();
    EXPECT_TRUE(greeter->respondsToSelector("greet:"));
    EXPECT_FALSE(greeter->respondsToSelector("fly"));
    EXPECT_STREQ(greeter->className(), "LoudGreeter");
    auto byName = class_createInstance(objc_getClass("LoudGreeter"));
    ASSERT_TRUE(byName);
    EXPECT_STREQ(byName->className(), "LoudGreeter");
}

TEST(Runtime, MessagesTravelUpTheSuperclassChain)
{
    auto greeter = alloc<LoudGreeter>();
    EXPECT_EQ(msgSend<std::string>(greeter, "greet:", std::string("Ann")), "hello, Ann");
    EXPECT_EQ(msgSend<std::int64_t>(greeter, "add:to:", std::int64_t(2), std::int64_t(40)), 42);
    auto other = alloc<Greeter>();
    msgSend<void>(greeter, "remember:", other);
    EXPECT_EQ(greeter->friendOf, other);
    std::shared_ptr<Greeter> nobody;
    EXPECT_EQ(msgSend<std::string>(nobody, "greet:", std::string("Ann")), "");
}

TEST(Runtime, MismatchedCallsAreClearErrors)
{
    auto greeter = alloc<Greeter>();
    try {
        msgSend<std::int64_t>(greeter, "add:to:", 2, 40);  // int, not the method's 64-bit integers
        FAIL() << "a mismatched call went through";
    } catch (const MessageError& e) {
        EXPECT_NE(std::string(e.what()).find("-[Greeter add:to:]"), std::string::npos) << e.what();
    }
    EXPECT_THROW(msgSend<void>(greeter, "fly"), MessageError);
}

TEST(Runtime, HooksChainAndKeepThePreviousImplementation)
{
    auto greeter = alloc<Greeter>();
    auto loud = alloc<LoudGreeter>();
    // Hooking the subclass only overrides it there.
    ScopedHook shout(LoudGreeter::classObject(), "greet:", &shoutGreet, &previousGreet2);
    ASSERT_NE(previousGreet2, nullptr);
    EXPECT_EQ(msgSend<std::string>(loud, "greet:", std::string("Bo")), "hello, Bo!");
    EXPECT_EQ(msgSend<std::string>(greeter, "greet:", std::string("Bo")), "hello, Bo");
    // A second hook on the base class runs under the first one.
    ScopedHook polite(Greeter::classObject(), "greet:", &politeGreet, &previousGreet);
    EXPECT_EQ(msgSend<std::string>(greeter, "greet:", std::string("Cy")), "hello, Cy, please");
    EXPECT_EQ(msgSend<std::string>(loud, "greet:", std::string("Cy")), "hello, Cy!");  // kept what it inherited at hook time
    // The previous implementation stays callable on its own.
    EXPECT_EQ(previousGreet(greeter.get(), sel_registerName("greet:"), "Di"), "hello, Di");
}

TEST(Runtime, HooksOnMissingClassesOrMethodsAreSkipped)
{
    ScopedSubstrateLog log;
    IMP previous = nullptr;
    MSHookMessageEx(objc_getClass("NotOnThisSystem"), sel_registerName("greet:"), reinterpret_cast<IMP>(&politeGreet), &previous);
    MSHookMessageEx(Greeter::classObject(), sel_registerName("vanished:"), reinterpret_cast<IMP>(&politeGreet), &previous);
    std::int64_t (*wrongPrevious)(Object*, SEL, std::string) = nullptr;
    MSHookMessageEx(
        Greeter::classObject(), sel_registerName("greet:"),
        +[](Object*, SEL, std::string) -> std::int64_t { return 0; }, &wrongPrevious);
    EXPECT_EQ(previous, nullptr);
    EXPECT_EQ(wrongPrevious, nullptr);
    ASSERT_EQ(log.lines.size(), 3u);
    EXPECT_NE(log.lines[1].find("Greeter has no method vanished:"), std::string::npos);
    EXPECT_NE(log.lines[2].find("greet:"), std::string::npos);
    EXPECT_EQ(msgSend<std::string>(alloc<Greeter>(), "greet:", std::string("Ed")), "hello, Ed") << "a refused hook changes nothing";
}

TEST(Runtime, AddedMethodsUseTheirTypeEncoding)
{
    // A method cannot be taken away again, so each run adds a selector of its
    // own and the test holds when repeated.
    static int runs = 0;
    std::string wave = "wave" + std::to_string(++runs);
    static int calls = 0;
    calls = 0;
    auto fn = +[](Object*, SEL) { ++calls; };
    EXPECT_TRUE(class_addMethod(Greeter::classObject(), sel_registerName(wave), reinterpret_cast<IMP>(fn), "v@:"));
    EXPECT_FALSE(class_addMethod(Greeter::classObject(), sel_registerName(wave), reinterpret_cast<IMP>(fn), "v@:"));
    msgSend<void>(alloc<Greeter>(), wave.c_str());
    EXPECT_EQ(calls, 1);
    EXPECT_THROW(msgSend<void>(alloc<Greeter>(), wave.c_str(), true), MessageError);
}

}  // namespace

namespace {

TEST(Substrate, AFolderNamedLikeAFilterIsReportedNotThrown)
{
    std::string pattern = (std::filesystem::temp_directory_path() / "marqel-substrate-XXXXXX").string();
    ASSERT_NE(mkdtemp(pattern.data()), nullptr);
    std::filesystem::create_directories(pattern + "/Odd.plist");
    std::vector<std::string> asked;
    auto refuse = [&](const std::string& path) -> foundation::Result<std::vector<std::string>> {
        asked.push_back(path);
        return foundation::Error { foundation::ErrorCode::UnreadableInput, "unreadable filter " + path };
    };
    auto report = substrate::loadTweaks(pattern, "com.apple.springboard", refuse);
    EXPECT_TRUE(report.loaded.empty());
    ASSERT_EQ(report.errors.size(), 1u);
    EXPECT_EQ(report.errors.front(), "unreadable filter " + pattern + "/Odd.plist") << "the reader's reason is the report's";
    EXPECT_EQ(asked, std::vector<std::string> { pattern + "/Odd.plist" }) << "every filter goes through the reader it is given";
    std::error_code ec;
    std::filesystem::remove_all(pattern, ec);
}

}  // namespace
