#pragma once

// Every key of the preference domain, with the default each reader passes.
// Readers and writers in the tweak, the settings bundle and the tools go
// through these, so a key's name and default are written once.

#include "kit/ZRPrefsManager.h"
#include "platform/foundation/CGGeometry.h"
#include "platform/foundation/PropertyList.h"
#include "platform/foundation/Result.h"

#include <algorithm>
#include <array>
#include <cmath>
#include <cstdint>
#include <string>

namespace MarqelPreferences {

inline constexpr const char* domain = "com.zorvelin.MarqelPrefs";

struct BoolKey {
    const char* name;
    bool defaultValue;
};
struct IntegerKey {
    const char* name;
    std::int64_t defaultValue;
};
// Rectangle numbers: whole screen points, passed as 64-bit integers.
struct NumberKey {
    const char* name;
    std::int64_t defaultValue;
};
struct ColourKey {
    const char* name;
    const char* defaultValue;
};

inline constexpr BoolKey toggleMarqel { "toggleMarqel", false };
inline constexpr BoolKey didShowControlCenterAlert { "didShowControlCenterAlert", false };
inline constexpr NumberKey defaultX { "defaultX", 0 };
inline constexpr NumberKey defaultY { "defaultY", 0 };
inline constexpr NumberKey defaultWidth { "defaultWidth", 250 };
inline constexpr NumberKey defaultHeight { "defaultHeight", 250 };
inline constexpr ColourKey areaHandlerColour { "areaHandlerColour", "FFFFFF" };
inline constexpr ColourKey areaBorderColour { "areaBorderColour", "FFFFFF" };
inline constexpr BoolKey toggleDashLine { "toggleDashLine", false };
inline constexpr BoolKey toggleMicrophone { "toggleMicrophone", false };
inline constexpr BoolKey toggleHaptic { "toggleHaptic", true };
inline constexpr IntegerKey marqelHapticStrength { "marqelHapticStrength", 0 };
inline constexpr BoolKey toggleKeepOriginalVideo { "toggleKeepOriginalVideo", false };

enum class Kind { Bool,
    Integer,
    Number,
    Colour };

struct KeyInfo {
    const char* name;
    Kind kind;
    const char* meaning;
    std::int64_t defaultNumber;  // bools as 0 or 1
    const char* defaultColour;
    constexpr KeyInfo(BoolKey k, const char* m)
        : KeyInfo(k.name, Kind::Bool, m, k.defaultValue, "")
    {
    }
    constexpr KeyInfo(IntegerKey k, const char* m)
        : KeyInfo(k.name, Kind::Integer, m, k.defaultValue, "")
    {
    }
    constexpr KeyInfo(NumberKey k, const char* m)
        : KeyInfo(k.name, Kind::Number, m, k.defaultValue, "")
    {
    }
    constexpr KeyInfo(ColourKey k, const char* m)
        : KeyInfo(k.name, Kind::Colour, m, 0, k.defaultValue)
    {
    }

private:
    constexpr KeyInfo(const char* n, Kind k, const char* m, std::int64_t number, const char* colour)
        : name(n)
        , kind(k)
        , meaning(m)
        , defaultNumber(number)
        , defaultColour(colour)
    {
    }
};

// In the order of the domain's documentation; tools list keys in this order.
inline constexpr std::array<KeyInfo, 13> allKeys { {
    { toggleMarqel, "master switch, read by the tweak when SpringBoard starts" },
    { didShowControlCenterAlert, "the Control Center hint was shown" },
    { defaultX, "left edge of the default crop rectangle (points)" },
    { defaultY, "top edge of the default crop rectangle (points)" },
    { defaultWidth, "width of the default crop rectangle (points)" },
    { defaultHeight, "height of the default crop rectangle (points)" },
    { areaHandlerColour, "colour of the crop box's corner handles (RRGGBB)" },
    { areaBorderColour, "colour of the crop box's border (RRGGBB)" },
    { toggleDashLine, "draw the border dashed" },
    { toggleMicrophone, "record microphone sound" },
    { toggleHaptic, "haptic feedback in the overlay" },
    { marqelHapticStrength, "0 soft, 1 light, 2 medium" },
    { toggleKeepOriginalVideo, "keep the uncropped recording" },
} };

inline std::shared_ptr<ZRPrefsManager> manager() { return ZRPrefsManager::sharedInstance(); }

inline bool read(const BoolKey& key) { return manager()->boolForKey(key.name, key.defaultValue, domain); }
inline std::int64_t read(const IntegerKey& key) { return manager()->integerForKey(key.name, key.defaultValue, domain); }
// The whole number the kit hands back, widened to double as every reader does.
inline double read(const NumberKey& key) { return static_cast<double>(manager()->floatForKey(key.name, key.defaultValue, domain)); }
inline std::string readHex(const ColourKey& key) { return manager()->colourHexForKey(key.name, key.defaultValue, domain); }
inline std::shared_ptr<UIColor> read(const ColourKey& key) { return manager()->colourForKey(key.name, key.defaultValue, domain); }

// The value a reader of this key sees, as text.
inline std::string readText(const KeyInfo& key)
{
    switch (key.kind) {
    case Kind::Bool: return read(BoolKey { key.name, key.defaultNumber != 0 }) ? "true" : "false";
    case Kind::Integer: return std::to_string(read(IntegerKey { key.name, key.defaultNumber }));
    case Kind::Number: return std::to_string(manager()->floatForKey(key.name, key.defaultNumber, domain));
    case Kind::Colour: return readHex(ColourKey { key.name, key.defaultColour });
    }
    return "";
}

// Says why, when the domain could not be written.
inline foundation::Status write(const BoolKey& key, bool value) { return manager()->writeValue(PlistValue(value), key.name, domain); }
// Writers truncate toward zero: 249.7 is stored as 249, -0.5 as 0.
inline foundation::Status write(const NumberKey& key, double value)
{
    // Out-of-range values are clamped rather than wrapped by the conversion.
    double truncated = std::isfinite(value) ? std::clamp(std::trunc(value), -9.0e18, 9.0e18) : 0.0;
    return manager()->writeValue(PlistValue(static_cast<std::int64_t>(truncated)), key.name, domain);
}

// The default crop rectangle: four writes in order, x, y, width, height.
// A failed write does not stop the others; the failures are told together.
inline foundation::Status writeDefaultRectangle(CGRect rectangle)
{
    std::string failures;
    auto note = [&failures](const NumberKey& key, const foundation::Status& written) {
        if (!written)
            failures += (failures.empty() ? "" : "; ") + std::string(key.name) + ": " + written.message();
    };
    note(defaultX, write(defaultX, rectangle.origin.x));
    note(defaultY, write(defaultY, rectangle.origin.y));
    note(defaultWidth, write(defaultWidth, rectangle.size.width));
    note(defaultHeight, write(defaultHeight, rectangle.size.height));
    if (!failures.empty())
        return foundation::Error { foundation::ErrorCode::WriteFailed, "could not write the default rectangle (" + failures + ")" };
    return {};
}

}  // namespace MarqelPreferences
