// The display's message format: every message survives the trip through
// bytes unchanged, and bytes the format does not allow are refused with a
// reason, never read past their end.

#include "DisplayTestSupport.h"

#include "platform/display/DisplayProtocol.h"

#include <gtest/gtest.h>

#include <cmath>
#include <limits>

using namespace display;
using displaytest::bytesOf;

namespace {

std::string refusalOf(const std::vector<std::uint8_t>& bytes)
{
    auto decoded = decode(bytes);
    return decoded ? std::string("(accepted)") : decoded.message();
}

void putLittle32(std::vector<std::uint8_t>& bytes, std::size_t at, std::uint32_t v)
{
    for (int i = 0; i < 4; ++i)
        bytes[at + i] = static_cast<std::uint8_t>(v >> (8 * i));
}

}  // namespace

TEST(DisplayProtocol, EveryMessageReadsBackAsItWasWritten)
{
    std::vector<Payload> payloads {
        Hello { ProcessRole::SpringBoard, 4242, "com.apple.springboard" },
        SurfaceReady { 7, 1000, CGRectMake(0, -20.5, 390, 44), 3, 1, Hidden | KeyWindow | CarriesSurface | LightContent },
        WindowGone { 7 },
        Lifecycle { LifecycleAction::Launch, "com.apple.Preferences" },
        Lifecycle { LifecycleAction::Home, "" },
        FrameShown { 7, 1 },
        Touch { 9, TouchPhase::Moved, CGPointMake(12.25, 800), 123456789012345ull },
        Key { KeyPhase::Up, 13, 0x40, "Return", 40 },
        Text { "caf\xC3\xA9 \xF0\x9F\x93\xB9" },
        Lifecycle { LifecycleAction::Launch, "com.apple.mobileslideshow", "photos-redirect://newest-video" },
        Lifecycle { LifecycleAction::Respring, "" },
        KeyNotTaken { Key { KeyPhase::Down, 114, 0, "R", 21 } },
        Reached { 12.5 },
        StepDone { StepOutcome::Failed, "expected 2 videos, found 1" },
        Advance { 0 },
        Step { "open-app Settings" },
        Capture { 1 },
        Capture { 0 },
        ScreenShared { 1170, 2532 },
        StatusBarStyle { 1 },
    };
    std::uint32_t sequence = 1;
    for (const auto& payload : payloads) {
        Message message { sequence++, payload };
        auto bytes = encode(message);
        ASSERT_TRUE(bytes) << bytes.message();
        auto decoded = decode(bytes.value());
        ASSERT_TRUE(decoded) << decoded.message();
        EXPECT_EQ(decoded.value(), message) << nameOf(typeOf(payload));
    }
}

TEST(DisplayProtocol, TheHeaderIsLittleEndianTypeLengthSequence)
{
    auto bytes = bytesOf(WindowGone { 0x01020304 }, 0x0A0B0C0D);
    std::vector<std::uint8_t> expected { 3, 0, 0, 0, 4, 0, 0, 0, 0x0D, 0x0C, 0x0B, 0x0A, 4, 3, 2, 1 };
    EXPECT_EQ(bytes, expected);
}

TEST(DisplayProtocol, FramingFaultsAreRefused)
{
    auto good = bytesOf(Touch { 1, TouchPhase::Began, CGPointMake(1, 2), 3 }, 1);

    EXPECT_NE(refusalOf({ 1, 0, 0 }).find("shorter than a message header"), std::string::npos);

    auto unknown = good;
    unknown[0] = 99;
    EXPECT_NE(refusalOf(unknown).find("unknown message type 99"), std::string::npos);
    unknown[0] = 0;
    EXPECT_NE(refusalOf(unknown).find("unknown message type 0"), std::string::npos);

    auto reserved = good;
    reserved[2] = 1;
    EXPECT_NE(refusalOf(reserved).find("reserved"), std::string::npos);

    auto longer = good;
    putLittle32(longer, 4, static_cast<std::uint32_t>(good.size() - headerSize + 1));
    EXPECT_NE(refusalOf(longer).find("record holds"), std::string::npos);

    auto huge = good;
    putLittle32(huge, 4, 0xFFFFFFFF);
    EXPECT_NE(refusalOf(huge).find("larger than 4096"), std::string::npos);

    // A length that matches a record cut short of the payload's fields.
    auto cut = good;
    cut.resize(cut.size() - 3);
    putLittle32(cut, 4, static_cast<std::uint32_t>(cut.size() - headerSize));
    EXPECT_NE(refusalOf(cut).find("shorter than its fields"), std::string::npos);

    auto trailing = good;
    trailing.push_back(0);
    putLittle32(trailing, 4, static_cast<std::uint32_t>(trailing.size() - headerSize));
    EXPECT_NE(refusalOf(trailing).find("bytes after its fields"), std::string::npos);

    // A string whose count runs past the record.
    auto hello = bytesOf(Hello { ProcessRole::Application, 5, "a.b" }, 1);
    hello[headerSize + 5] = 200;
    EXPECT_NE(refusalOf(hello).find("shorter than its fields"), std::string::npos);
}

TEST(DisplayProtocol, ValuesOutOfRangeAreRefusedOnBothSides)
{
    const double nan = std::numeric_limits<double>::quiet_NaN();
    struct Case {
        Payload payload;
        const char* why;
    };
    std::vector<Case> cases {
        { Hello { ProcessRole::Application, 0, "a.b" }, "process id" },
        { Hello { static_cast<ProcessRole>(7), 5, "a.b" }, "role" },
        { Hello { ProcessRole::Application, 5, "" }, "empty" },
        { Hello { ProcessRole::Application, 5, "a/../b" }, "character" },
        { Hello { ProcessRole::Application, 5, std::string(256, 'a') }, "255" },
        { SurfaceReady { 0, 0, CGRectMake(0, 0, 10, 10), 1, 0, 0 }, "window 0" },
        { SurfaceReady { 1, nan, CGRectMake(0, 0, 10, 10), 1, 0, 0 }, "not finite" },
        { SurfaceReady { 1, 0, CGRectMake(0, 0, 0, 10), 1, 0, 0 }, "side" },
        { SurfaceReady { 1, 0, CGRectMake(0, 0, 5000, 10), 1, 0, 0 }, "side" },
        { SurfaceReady { 1, 0, CGRectMake(0, 0, 10, 10), 0.5, 0, 0 }, "scale" },
        { SurfaceReady { 1, 0, CGRectMake(0, 0, 10, 10), 1, 2, 0 }, "buffer" },
        { SurfaceReady { 1, 0, CGRectMake(0, 0, 10, 10), 1, 0, 0x80 }, "unknown flag" },
        { SurfaceReady { 1, 0, CGRectMake(0, 0, 10, 10), 1, 0, 0x10 }, "unknown flag" },
        { SurfaceReady { 1, 0, CGRectMake(0, 0, 0.1, 0.1), 1, 0, 0 }, "no pixels" },
        { Touch { 1, static_cast<TouchPhase>(9), CGPointMake(0, 0), 0 }, "phase" },
        { Touch { 1, TouchPhase::Began, CGPointMake(INFINITY, 0), 0 }, "not finite" },
        { Key { KeyPhase::Down, 1, 0, "\xC0\x80" }, "UTF-8" },
        { Text { "" }, "empty" },
        { Text { std::string("a\0b", 3) }, "NUL" },
        { Text { "\xED\xA0\x80" }, "UTF-8" },  // a lone surrogate
        { Lifecycle { static_cast<LifecycleAction>(5), "a.b" }, "unknown action" },
        { Lifecycle { LifecycleAction::Launch, "" }, "empty" },
        { Lifecycle { LifecycleAction::Launch, "a.b", std::string(1025, 'u') }, "URL" },
        { Reached { -1 }, "finite number" },
        { Advance { nan }, "outside" },
        { Advance { 1e9 }, "outside" },
        { Step { "" }, "empty" },
        { Step { std::string(3001, 's') }, "3000" },
        { StepDone { static_cast<StepOutcome>(3), "" }, "unknown outcome" },
        { KeyNotTaken { Key { KeyPhase::Down, 1, 0, std::string(65, 'k') } }, "64 bytes" },
        { Capture { 2 }, "neither 0" },
        { StatusBarStyle { 2 }, "neither 0" },
        { ScreenShared { 0, 2532 }, "empty" },
        { ScreenShared { 1170, -1 }, "empty" },
        { ScreenShared { 1170, 20000 }, "larger than any screen" },
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.why);
        auto encoded = encode(Message { 1, c.payload });
        ASSERT_FALSE(encoded);
        EXPECT_NE(encoded.message().find(c.why), std::string::npos) << encoded.message();
    }

    // The same refusals when the bytes come from elsewhere: a window 0
    // written by hand is refused by the reader too.
    auto bytes = bytesOf(WindowGone { 1 }, 1);
    bytes[headerSize] = 0;
    EXPECT_NE(refusalOf(bytes).find("window 0"), std::string::npos);
}
