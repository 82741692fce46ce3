#pragma once

// The messages between the display and the processes that draw on it
// (SpringBoard, the apps), one message per record of a SOCK_SEQPACKET Unix
// socket, so a record never holds half a message or two.
//
// Every message is a 12-byte header and a payload, all numbers little-endian:
//
//   offset size  field
//   0      2     type      (MessageType below; any other value is refused)
//   2      2     reserved  (must be 0)
//   4      4     length    (payload bytes after the header, at most
//                           maxPayloadSize; the record holds exactly
//                           header + length bytes)
//   8      4     sequence  (the sender's count, 1 for its first message,
//                           rising by one per message it queued; the
//                           display refuses a client whose sequence does not
//                           rise, a client counts the gaps as messages the
//                           display dropped for it)
//
// Strings are a u16 byte count and that many UTF-8 bytes, without a NUL.
// Numbers with a fraction are IEEE 754 doubles and must be finite. Points
// are screen points, origin top left. A payload that is shorter or longer
// than its fields, or whose values are out of range, is refused: the
// display disconnects the client that sent it.
//
// Payloads, client to display:
//   Hello         u8 role (ProcessRole), i32 pid, string bundle identifier
//                 (1...255 bytes of letters, digits, '.', '-', '_').
//                 The first message of every client, and only the first.
//   SurfaceReady  u32 window id (not 0), f64 level (UIWindowLevel), f64 x,
//                 y, width, height (the window's frame in points; sides
//                 above 0 and at most maxSurfaceSide), f64 scale (pixels a
//                 point, 1...maxScale), u8 buffer index (0 or 1), u8 flags
//                 (SurfaceFlag; LightContent: while this is the key
//                 window of the app in front, the status bar over it
//                 draws light content). The surface is a memfd holding two buffers
//                 one after the other, each lround(width * scale) ×
//                 lround(height * scale) premultiplied ARGB32 pixels (Cairo's
//                 layout, 4 bytes a pixel, rows packed); it comes with the
//                 message as an SCM_RIGHTS descriptor when the flag
//                 CarriesSurface is set (the first time, and whenever the
//                 size or scale changes), and must be sealed against
//                 shrinking and at least that large.
//   WindowGone    u32 window id.
//   Lifecycle     u8 action (LifecycleAction), string bundle identifier
//                 (empty for Home and Respring), string URL (what the app
//                 opens on, up to maxUrlSize bytes; may be empty).
//                 SpringBoard's requests: the display acts on them and
//                 hands them to the process of that bundle.
//   KeyNotTaken   as Key: a key the client's application did not take
//                 (no field edits, no key command wants it); the display
//                 gives it to its own shortcuts (home, respring, quit).
//   Reached       f64 seconds: the client's clock has run the time the
//                 last Advance asked for, and its windows are published.
//   StepDone      u8 outcome (StepOutcome), string message (up to
//                 maxStepTextSize bytes): the answer to Step.
//   Capture       u8 on (0 or 1): SpringBoard, which records and frosts
//                 the screen, wants the display's pictures of the whole
//                 screen (1: a recording runs or an app is in front), or no
//                 longer wants them (0). Only SpringBoard may ask: an
//                 app never sees another process's windows.
// Display to client:
//   FrameShown    u32 window id, u8 buffer index: the display has shown
//                 that buffer and reads only it from now on, so the other
//                 one may be drawn into.
//   Touch         u32 window id, u8 phase (TouchPhase), f64 x, f64 y
//                 (screen points), u64 timestamp (nanoseconds of the
//                 display's clock).
//   Key           u8 phase (KeyPhase), i32 key code (SDL's), u16 modifiers,
//                 string key name ("A", "Return"; up to 64 bytes).
//   Text          string (1...maxTextSize bytes of UTF-8, no NUL).
//   Lifecycle     as above: what the process is asked to do.
//   Advance       f64 seconds (0...maxAdvance): a scripted run's clock.
//                 The client runs its main loop on its virtual clock for
//                 that long (0: what is due now), publishes its windows,
//                 then answers Reached. Only a client started for a
//                 scripted run is sent it.
//   Step          string: one step of a scenario (up to maxStepTextSize
//                 bytes) for the client to play as its simulated user;
//                 it answers StepDone.
//   ScreenShared  i32 pixel width, i32 pixel height: the answer to
//                 Capture 1, with the screen's memfd as an SCM_RIGHTS
//                 descriptor (its layout: ScreenShare.h). From then on the
//                 display copies each picture it composites into it, until
//                 Capture 0.
//   StatusBarStyle u8 light content (0 or 1), to SpringBoard: what the app
//                 in front asks of the status bar over it (the LightContent
//                 flag of its key window), sent when that changes.
//   Key, as above, also carries u16 scancode (the key's USB HID usage)
//   after the modifiers' field and before the name.

#include "platform/foundation/CGGeometry.h"
#include "platform/foundation/Result.h"

#include <cstddef>
#include <cstdint>
#include <span>
#include <string>
#include <variant>
#include <vector>

namespace display {

constexpr std::size_t headerSize = 12;
constexpr std::size_t maxPayloadSize = 4096;
constexpr std::size_t maxBundleIdentifierSize = 255;
constexpr std::size_t maxKeyNameSize = 64;
constexpr std::size_t maxTextSize = 1024;
constexpr std::size_t maxUrlSize = 1024;
constexpr std::size_t maxStepTextSize = 3000;
constexpr double maxAdvance = 24 * 3600;
// A window larger than this many points a side, or drawn at more than
// maxScale pixels a point, is refused before any memory is mapped.
constexpr double maxSurfaceSide = 4096;
constexpr double maxScale = 4;

enum class MessageType : std::uint16_t {
    Hello = 1,
    SurfaceReady = 2,
    WindowGone = 3,
    Lifecycle = 4,
    FrameShown = 5,
    Touch = 6,
    Key = 7,
    Text = 8,
    KeyNotTaken = 9,
    Reached = 10,
    StepDone = 11,
    Advance = 12,
    Step = 13,
    Capture = 14,
    ScreenShared = 15,
    StatusBarStyle = 16,
};

enum class ProcessRole : std::uint8_t { SpringBoard = 0,
    Application = 1 };

enum SurfaceFlag : std::uint8_t {
    Hidden = 1,
    KeyWindow = 2,
    CarriesSurface = 4,
    LightContent = 8,
};
constexpr std::uint8_t knownSurfaceFlags = Hidden | KeyWindow | CarriesSurface | LightContent;

enum class TouchPhase : std::uint8_t { Began = 0,
    Moved = 1,
    Ended = 2,
    Cancelled = 3 };
enum class KeyPhase : std::uint8_t { Down = 0,
    Up = 1 };
enum class LifecycleAction : std::uint8_t { Launch = 0,
    ToFront = 1,
    Home = 2,
    Terminate = 3,
    Respring = 4 };
enum class StepOutcome : std::uint8_t { Done = 0,
    Failed = 1,
    // The step is not this process's, or what it names is not on its
    // screen: the display may try another process.
    NotHere = 2 };

struct Hello {
    ProcessRole role = ProcessRole::Application;
    std::int32_t pid = 0;
    std::string bundleIdentifier;
    bool operator==(const Hello&) const = default;
};

struct SurfaceReady {
    std::uint32_t windowId = 0;
    double level = 0;
    CGRect frame;
    double scale = 1;
    std::uint8_t bufferIndex = 0;
    std::uint8_t flags = 0;
    bool operator==(const SurfaceReady&) const = default;

    bool hidden() const { return flags & Hidden; }
    bool keyWindow() const { return flags & KeyWindow; }
    bool carriesSurface() const { return flags & CarriesSurface; }
    bool lightContent() const { return flags & LightContent; }
    // The size of one buffer in pixels, as the frame and scale make it.
    int pixelWidth() const;
    int pixelHeight() const;
};

struct WindowGone {
    std::uint32_t windowId = 0;
    bool operator==(const WindowGone&) const = default;
};

struct Lifecycle {
    LifecycleAction action = LifecycleAction::Launch;
    std::string bundleIdentifier;
    std::string url;
    bool operator==(const Lifecycle&) const = default;
};

struct FrameShown {
    std::uint32_t windowId = 0;
    std::uint8_t bufferIndex = 0;
    bool operator==(const FrameShown&) const = default;
};

struct Touch {
    std::uint32_t windowId = 0;
    TouchPhase phase = TouchPhase::Began;
    CGPoint point;
    std::uint64_t timestamp = 0;
    bool operator==(const Touch&) const = default;
};

struct Key {
    KeyPhase phase = KeyPhase::Down;
    std::int32_t keycode = 0;
    std::uint16_t modifiers = 0;
    std::string name;
    std::uint16_t scancode = 0;
    bool operator==(const Key&) const = default;
};

struct KeyNotTaken {
    Key key;
    bool operator==(const KeyNotTaken&) const = default;
};

struct Reached {
    double seconds = 0;
    bool operator==(const Reached&) const = default;
};

struct StepDone {
    StepOutcome outcome = StepOutcome::Done;
    std::string message;
    bool operator==(const StepDone&) const = default;
};

struct Advance {
    double seconds = 0;
    bool operator==(const Advance&) const = default;
};

struct Step {
    std::string text;
    bool operator==(const Step&) const = default;
};

struct Text {
    std::string text;
    bool operator==(const Text&) const = default;
};

struct Capture {
    std::uint8_t on = 0;  // 0 or 1
    bool operator==(const Capture&) const = default;
};

struct StatusBarStyle {
    std::uint8_t lightContent = 0;  // 0 or 1
    bool operator==(const StatusBarStyle&) const = default;
};

struct ScreenShared {
    std::int32_t pixelWidth = 0;
    std::int32_t pixelHeight = 0;
    bool operator==(const ScreenShared&) const = default;
};

using Payload = std::variant<Hello, SurfaceReady, WindowGone, Lifecycle, FrameShown, Touch, Key, Text, KeyNotTaken, Reached,
    StepDone, Advance, Step, Capture, ScreenShared, StatusBarStyle>;

struct Message {
    std::uint32_t sequence = 0;
    Payload payload;
    bool operator==(const Message&) const = default;
};

MessageType typeOf(const Payload& payload);
// Why a message was refused, in the one form every refusal takes.
foundation::Error refusal(std::string why);
const char* nameOf(MessageType type);

// The bytes of one record. A payload the decoder would refuse (a string too
// long, a value out of range) is a programming error on the sending side:
// encode() refuses it too, so nothing unreadable is ever sent.
foundation::Result<std::vector<std::uint8_t>> encode(const Message& message);
// One whole record: the header, then exactly the payload its length gives.
// Never reads outside `record`; every refusal says what was wrong.
foundation::Result<Message> decode(std::span<const std::uint8_t> record);

}  // namespace display
