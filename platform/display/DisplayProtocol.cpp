#include "platform/display/DisplayProtocol.h"

#include <bit>
#include <cmath>
#include <cstring>

namespace display {

using foundation::Error;
using foundation::ErrorCode;

namespace {

class Writer {
public:
    void u8(std::uint8_t v) { m_bytes.push_back(v); }
    void u16(std::uint16_t v) { little(v, 2); }
    void u32(std::uint32_t v) { little(v, 4); }
    void i32(std::int32_t v) { little(static_cast<std::uint32_t>(v), 4); }
    void u64(std::uint64_t v) { little(v, 8); }
    void f64(double v) { little(std::bit_cast<std::uint64_t>(v), 8); }
    void string(const std::string& s)
    {
        u16(static_cast<std::uint16_t>(s.size()));
        m_bytes.insert(m_bytes.end(), s.begin(), s.end());
    }
    std::vector<std::uint8_t>& bytes() { return m_bytes; }

private:
    void little(std::uint64_t v, int size)
    {
        for (int i = 0; i < size; ++i)
            m_bytes.push_back(static_cast<std::uint8_t>(v >> (8 * i)));
    }
    std::vector<std::uint8_t> m_bytes;
};

// Reads fields in order; a read past the end sets `short` and gives zeros,
// so a decoder reads all its fields and checks once.
class Reader {
public:
    explicit Reader(std::span<const std::uint8_t> bytes)
        : m_bytes(bytes)
    {
    }
    std::uint8_t u8() { return static_cast<std::uint8_t>(little(1)); }
    std::uint16_t u16() { return static_cast<std::uint16_t>(little(2)); }
    std::uint32_t u32() { return static_cast<std::uint32_t>(little(4)); }
    std::int32_t i32() { return static_cast<std::int32_t>(u32()); }
    std::uint64_t u64() { return little(8); }
    double f64() { return std::bit_cast<double>(little(8)); }
    std::string string()
    {
        std::size_t size = u16();
        if (m_short || m_bytes.size() - m_offset < size) {
            m_short = true;
            return {};
        }
        std::string s(reinterpret_cast<const char*>(m_bytes.data() + m_offset), size);
        m_offset += size;
        return s;
    }
    bool isShort() const { return m_short; }
    bool isExhausted() const { return m_offset == m_bytes.size(); }

private:
    std::uint64_t little(std::size_t size)
    {
        if (m_short || m_bytes.size() - m_offset < size) {
            m_short = true;
            return 0;
        }
        std::uint64_t v = 0;
        for (std::size_t i = 0; i < size; ++i)
            v |= static_cast<std::uint64_t>(m_bytes[m_offset + i]) << (8 * i);
        m_offset += size;
        return v;
    }
    std::span<const std::uint8_t> m_bytes;
    std::size_t m_offset = 0;
    bool m_short = false;
};

bool isBundleCharacter(char c)
{
    return (c >= 'a' && c <= 'z') || (c >= 'A' && c <= 'Z') || (c >= '0' && c <= '9') || c == '.' || c == '-' || c == '_';
}

foundation::Status checkBundleIdentifier(const std::string& identifier, bool mayBeEmpty)
{
    if (identifier.empty())
        return mayBeEmpty ? foundation::Status() : refusal("the bundle identifier is empty");
    if (identifier.size() > maxBundleIdentifierSize)
        return refusal("the bundle identifier is longer than 255 bytes");
    for (char c : identifier)
        if (!isBundleCharacter(c))
            return refusal("the bundle identifier holds a character other than letters, digits, '.', '-' and '_'");
    return {};
}

// Well-formed UTF-8 without NUL: what a text field can take.
bool isText(const std::string& s)
{
    std::size_t i = 0;
    while (i < s.size()) {
        auto c = static_cast<unsigned char>(s[i]);
        if (c == 0)
            return false;
        std::size_t extra = c < 0x80 ? 0 : (c & 0xE0) == 0xC0 ? 1
            : (c & 0xF0) == 0xE0                              ? 2
            : (c & 0xF8) == 0xF0                              ? 3
                                                              : 4;
        if (extra == 4 || (extra == 1 && c < 0xC2) || s.size() - i < extra + 1)
            return false;
        std::uint32_t code = extra == 0 ? c : c & (0x3F >> extra);
        for (std::size_t k = 1; k <= extra; ++k) {
            auto next = static_cast<unsigned char>(s[i + k]);
            if ((next & 0xC0) != 0x80)
                return false;
            code = (code << 6) | (next & 0x3F);
        }
        // Overlong forms, surrogates and code points past Unicode's end.
        if ((extra == 2 && code < 0x800) || (extra == 3 && (code < 0x10000 || code > 0x10FFFF)) || (code >= 0xD800 && code <= 0xDFFF))
            return false;
        i += extra + 1;
    }
    return true;
}

bool finite(double v) { return std::isfinite(v); }

foundation::Status check(const Hello& m)
{
    if (m.role != ProcessRole::SpringBoard && m.role != ProcessRole::Application)
        return refusal("hello names an unknown process role");
    if (m.pid <= 0)
        return refusal("hello names a process id that is not positive");
    return checkBundleIdentifier(m.bundleIdentifier, false);
}

foundation::Status check(const SurfaceReady& m)
{
    if (m.windowId == 0)
        return refusal("surface-ready names window 0, which no window has");
    if (!finite(m.level) || !finite(m.frame.origin.x) || !finite(m.frame.origin.y) || !finite(m.frame.size.width)
        || !finite(m.frame.size.height) || !finite(m.scale))
        return refusal("surface-ready holds a number that is not finite");
    if (std::fabs(m.frame.origin.x) > 1e6 || std::fabs(m.frame.origin.y) > 1e6 || std::fabs(m.level) > 1e9)
        return refusal("surface-ready places its window impossibly far away");
    if (!(m.frame.size.width > 0) || !(m.frame.size.height > 0) || m.frame.size.width > maxSurfaceSide
        || m.frame.size.height > maxSurfaceSide)
        return refusal("surface-ready gives a window side that is not in 0...4096 points");
    if (!(m.scale >= 1) || m.scale > maxScale)
        return refusal("surface-ready gives a scale outside 1...4");
    if (m.pixelWidth() < 1 || m.pixelHeight() < 1)
        return refusal("surface-ready gives a window with no pixels");
    if (m.bufferIndex > 1)
        return refusal("surface-ready names a buffer other than 0 and 1");
    if (m.flags & ~knownSurfaceFlags)
        return refusal("surface-ready sets an unknown flag");
    return {};
}

foundation::Status check(const WindowGone& m)
{
    if (m.windowId == 0)
        return refusal("window-gone names window 0, which no window has");
    return {};
}

foundation::Status check(const Lifecycle& m)
{
    if (static_cast<std::uint8_t>(m.action) > static_cast<std::uint8_t>(LifecycleAction::Respring))
        return refusal("a life-cycle message names an unknown action");
    if (m.url.size() > maxUrlSize || !isText(m.url))
        return refusal("a life-cycle message's URL is longer than 1024 bytes or not UTF-8 without NUL");
    return checkBundleIdentifier(m.bundleIdentifier, m.action == LifecycleAction::Home || m.action == LifecycleAction::Respring);
}

foundation::Status check(const FrameShown& m)
{
    if (m.windowId == 0 || m.bufferIndex > 1)
        return refusal("frame-shown names window 0 or a buffer other than 0 and 1");
    return {};
}

foundation::Status check(const Touch& m)
{
    if (m.windowId == 0)
        return refusal("a touch names window 0, which no window has");
    if (static_cast<std::uint8_t>(m.phase) > static_cast<std::uint8_t>(TouchPhase::Cancelled))
        return refusal("a touch has an unknown phase");
    if (!finite(m.point.x) || !finite(m.point.y))
        return refusal("a touch's point is not finite");
    return {};
}

foundation::Status check(const Key& m)
{
    if (static_cast<std::uint8_t>(m.phase) > static_cast<std::uint8_t>(KeyPhase::Up))
        return refusal("a key has an unknown phase");
    if (m.name.size() > maxKeyNameSize || !isText(m.name))
        return refusal("a key's name is longer than 64 bytes or not UTF-8");
    return {};
}

foundation::Status check(const KeyNotTaken& m) { return check(m.key); }

foundation::Status check(const Reached& m)
{
    if (!finite(m.seconds) || m.seconds < 0)
        return refusal("reached gives a time that is not a finite number of seconds from 0");
    return {};
}

foundation::Status check(const StepDone& m)
{
    if (static_cast<std::uint8_t>(m.outcome) > static_cast<std::uint8_t>(StepOutcome::NotHere))
        return refusal("step-done gives an unknown outcome");
    if (m.message.size() > maxStepTextSize || !isText(m.message))
        return refusal("step-done's message is longer than 3000 bytes or not UTF-8 without NUL");
    return {};
}

foundation::Status check(const Advance& m)
{
    if (!finite(m.seconds) || m.seconds < 0 || m.seconds > maxAdvance)
        return refusal("advance asks for a time outside 0...86400 seconds");
    return {};
}

foundation::Status check(const Step& m)
{
    if (m.text.empty() || m.text.size() > maxStepTextSize || !isText(m.text))
        return refusal("a step is empty, longer than 3000 bytes or not UTF-8 without NUL");
    return {};
}

foundation::Status check(const Capture& m)
{
    if (m.on > 1)
        return refusal("capture is neither 0 (off) nor 1 (on)");
    return {};
}

foundation::Status check(const StatusBarStyle& m)
{
    if (m.lightContent > 1)
        return refusal("status-bar-style is neither 0 (dark content) nor 1 (light content)");
    return {};
}

foundation::Status check(const ScreenShared& m)
{
    const double largest = maxSurfaceSide * maxScale;
    if (m.pixelWidth <= 0 || m.pixelHeight <= 0 || m.pixelWidth > largest || m.pixelHeight > largest)
        return refusal("screen-shared gives a screen of " + std::to_string(m.pixelWidth) + " × "
            + std::to_string(m.pixelHeight) + " pixels, empty or larger than any screen");
    return {};
}

foundation::Status check(const Text& m)
{
    if (m.text.empty() || m.text.size() > maxTextSize || !isText(m.text))
        return refusal("text input is empty, longer than 1024 bytes or not UTF-8 without NUL");
    return {};
}

void write(Writer& w, const Hello& m)
{
    w.u8(static_cast<std::uint8_t>(m.role));
    w.i32(m.pid);
    w.string(m.bundleIdentifier);
}
void write(Writer& w, const SurfaceReady& m)
{
    w.u32(m.windowId);
    w.f64(m.level);
    w.f64(m.frame.origin.x);
    w.f64(m.frame.origin.y);
    w.f64(m.frame.size.width);
    w.f64(m.frame.size.height);
    w.f64(m.scale);
    w.u8(m.bufferIndex);
    w.u8(m.flags);
}
void write(Writer& w, const WindowGone& m) { w.u32(m.windowId); }
void write(Writer& w, const Lifecycle& m)
{
    w.u8(static_cast<std::uint8_t>(m.action));
    w.string(m.bundleIdentifier);
    w.string(m.url);
}
void write(Writer& w, const FrameShown& m)
{
    w.u32(m.windowId);
    w.u8(m.bufferIndex);
}
void write(Writer& w, const Touch& m)
{
    w.u32(m.windowId);
    w.u8(static_cast<std::uint8_t>(m.phase));
    w.f64(m.point.x);
    w.f64(m.point.y);
    w.u64(m.timestamp);
}
void write(Writer& w, const Key& m)
{
    w.u8(static_cast<std::uint8_t>(m.phase));
    w.i32(m.keycode);
    w.u16(m.modifiers);
    w.u16(m.scancode);
    w.string(m.name);
}
void write(Writer& w, const Text& m) { w.string(m.text); }
void write(Writer& w, const KeyNotTaken& m) { write(w, m.key); }
void write(Writer& w, const Reached& m) { w.f64(m.seconds); }
void write(Writer& w, const StepDone& m)
{
    w.u8(static_cast<std::uint8_t>(m.outcome));
    w.string(m.message);
}
void write(Writer& w, const Advance& m) { w.f64(m.seconds); }
void write(Writer& w, const Step& m) { w.string(m.text); }
void write(Writer& w, const Capture& m) { w.u8(m.on); }
void write(Writer& w, const StatusBarStyle& m) { w.u8(m.lightContent); }
void write(Writer& w, const ScreenShared& m)
{
    w.i32(m.pixelWidth);
    w.i32(m.pixelHeight);
}

Key readKey(Reader& r)
{
    Key m;
    m.phase = static_cast<KeyPhase>(r.u8());
    m.keycode = r.i32();
    m.modifiers = r.u16();
    m.scancode = r.u16();
    m.name = r.string();
    return m;
}

Payload read(MessageType type, Reader& r)
{
    switch (type) {
    case MessageType::Hello: {
        Hello m;
        m.role = static_cast<ProcessRole>(r.u8());
        m.pid = r.i32();
        m.bundleIdentifier = r.string();
        return m;
    }
    case MessageType::SurfaceReady: {
        SurfaceReady m;
        m.windowId = r.u32();
        m.level = r.f64();
        m.frame.origin.x = r.f64();
        m.frame.origin.y = r.f64();
        m.frame.size.width = r.f64();
        m.frame.size.height = r.f64();
        m.scale = r.f64();
        m.bufferIndex = r.u8();
        m.flags = r.u8();
        return m;
    }
    case MessageType::WindowGone:
        return WindowGone { r.u32() };
    case MessageType::Lifecycle: {
        Lifecycle m;
        m.action = static_cast<LifecycleAction>(r.u8());
        m.bundleIdentifier = r.string();
        m.url = r.string();
        return m;
    }
    case MessageType::FrameShown: {
        FrameShown m;
        m.windowId = r.u32();
        m.bufferIndex = r.u8();
        return m;
    }
    case MessageType::Touch: {
        Touch m;
        m.windowId = r.u32();
        m.phase = static_cast<TouchPhase>(r.u8());
        m.point.x = r.f64();
        m.point.y = r.f64();
        m.timestamp = r.u64();
        return m;
    }
    case MessageType::Key:
        return readKey(r);
    case MessageType::Text:
        return Text { r.string() };
    case MessageType::KeyNotTaken:
        return KeyNotTaken { readKey(r) };
    case MessageType::Reached:
        return Reached { r.f64() };
    case MessageType::StepDone: {
        StepDone m;
        m.outcome = static_cast<StepOutcome>(r.u8());
        m.message = r.string();
        return m;
    }
    case MessageType::Advance:
        return Advance { r.f64() };
    case MessageType::Step:
        return Step { r.string() };
    case MessageType::Capture:
        return Capture { r.u8() };
    case MessageType::StatusBarStyle:
        return StatusBarStyle { r.u8() };
    case MessageType::ScreenShared: {
        ScreenShared m;
        m.pixelWidth = r.i32();
        m.pixelHeight = r.i32();
        return m;
    }
    }
    return Text {};  // not reached: the type was checked before
}

bool isKnownType(std::uint16_t type) { return type >= 1 && type <= static_cast<std::uint16_t>(MessageType::StatusBarStyle); }

}  // namespace

int SurfaceReady::pixelWidth() const { return static_cast<int>(std::lround(frame.size.width * scale)); }
int SurfaceReady::pixelHeight() const { return static_cast<int>(std::lround(frame.size.height * scale)); }

Error refusal(std::string why) { return Error { ErrorCode::UnreadableInput, "display message refused: " + std::move(why) }; }

MessageType typeOf(const Payload& payload) { return static_cast<MessageType>(payload.index() + 1); }

const char* nameOf(MessageType type)
{
    switch (type) {
    case MessageType::Hello:
        return "hello";
    case MessageType::SurfaceReady:
        return "surface-ready";
    case MessageType::WindowGone:
        return "window-gone";
    case MessageType::Lifecycle:
        return "life-cycle";
    case MessageType::FrameShown:
        return "frame-shown";
    case MessageType::Touch:
        return "touch";
    case MessageType::Key:
        return "key";
    case MessageType::Text:
        return "text";
    case MessageType::KeyNotTaken:
        return "key-not-taken";
    case MessageType::Reached:
        return "reached";
    case MessageType::StepDone:
        return "step-done";
    case MessageType::Advance:
        return "advance";
    case MessageType::Step:
        return "step";
    case MessageType::Capture:
        return "capture";
    case MessageType::ScreenShared:
        return "screen-shared";
    case MessageType::StatusBarStyle:
        return "status-bar-style";
    }
    return "unknown";
}

foundation::Result<std::vector<std::uint8_t>> encode(const Message& message)
{
    TRY(std::visit([](const auto& m) { return check(m); }, message.payload));
    Writer w;
    w.u16(static_cast<std::uint16_t>(typeOf(message.payload)));
    w.u16(0);
    w.u32(0);  // the length, filled in below
    w.u32(message.sequence);
    std::visit([&w](const auto& m) { write(w, m); }, message.payload);
    auto& bytes = w.bytes();
    std::size_t length = bytes.size() - headerSize;
    if (length > maxPayloadSize)
        return refusal("the payload is larger than 4096 bytes");
    for (int i = 0; i < 4; ++i)
        bytes[4 + i] = static_cast<std::uint8_t>(length >> (8 * i));
    return std::move(bytes);
}

foundation::Result<Message> decode(std::span<const std::uint8_t> record)
{
    if (record.size() < headerSize)
        return refusal("the record is shorter than a message header (" + std::to_string(record.size()) + " bytes)");
    Reader header(record.first(headerSize));
    std::uint16_t type = header.u16();
    std::uint16_t reserved = header.u16();
    std::uint32_t length = header.u32();
    Message message;
    message.sequence = header.u32();
    if (!isKnownType(type))
        return refusal("unknown message type " + std::to_string(type));
    if (reserved != 0)
        return refusal("the header's reserved field is not 0");
    if (length > maxPayloadSize)
        return refusal("the payload length " + std::to_string(length) + " is larger than 4096 bytes");
    if (record.size() - headerSize != length)
        return refusal("the header gives a payload of " + std::to_string(length) + " bytes but the record holds "
            + std::to_string(record.size() - headerSize));
    Reader r(record.subspan(headerSize));
    auto kind = static_cast<MessageType>(type);
    message.payload = read(kind, r);
    if (r.isShort())
        return refusal(std::string("the ") + nameOf(kind) + " payload is shorter than its fields");
    if (!r.isExhausted())
        return refusal(std::string("the ") + nameOf(kind) + " payload has bytes after its fields");
    TRY(std::visit([](const auto& m) { return check(m); }, message.payload));
    return message;
}

}  // namespace display
