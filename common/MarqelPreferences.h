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
#include <cstdio>
#include <string>
#include <string_view>

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

// Whole points, as a rectangle number is stored: truncated toward zero.
// Refused rather than clamped or wrapped: a number that is not finite or lies
// beyond 1e15 either way (far past any screen, and still exact as a double),
// and a width or height that truncates below 1 point (a box of nothing, or
// one turned inside out). `prefs set`, the saved areas' "Set Area As
// Default" and the default-area editor all store through this rule.
inline foundation::Result<std::int64_t> wholePoints(const NumberKey& key, double value)
{
    using foundation::Error;
    using foundation::ErrorCode;
    if (!std::isfinite(value) || std::fabs(value) > 1e15)
        return Error { ErrorCode::InvalidArgument, "expected a finite number of points within 1e15 either way" };
    auto whole = static_cast<std::int64_t>(std::trunc(value));
    std::string_view name = key.name;
    if ((name == defaultWidth.name || name == defaultHeight.name) && whole < 1)
        return Error { ErrorCode::InvalidArgument, "expected a width or height of at least 1 whole point" };
    return whole;
}

// The default crop rectangle as its four keys hold it.
struct WholeRectangle {
    std::int64_t x = 0;
    std::int64_t y = 0;
    std::int64_t width = 0;
    std::int64_t height = 0;
    bool operator==(const WholeRectangle&) const = default;
};

// What the four keys would hold for `rectangle`, or why it cannot be the
// default, naming each number that is refused.
inline foundation::Result<WholeRectangle> wholeRectangle(CGRect rectangle)
{
    WholeRectangle whole;
    std::string refusals;
    auto take = [&refusals](const NumberKey& key, double value, std::int64_t& into) {
        auto checked = wholePoints(key, value);
        if (checked)
            into = checked.value();
        else {
            char number[32];
            std::snprintf(number, sizeof number, "%g", value);
            refusals += (refusals.empty() ? "" : "; ") + std::string(key.name) + " " + number + ": " + checked.message();
        }
    };
    take(defaultX, rectangle.origin.x, whole.x);
    take(defaultY, rectangle.origin.y, whole.y);
    take(defaultWidth, rectangle.size.width, whole.width);
    take(defaultHeight, rectangle.size.height, whole.height);
    if (!refusals.empty())
        return foundation::Error { foundation::ErrorCode::InvalidArgument, "this rectangle cannot be the default (" + refusals + "); nothing was written" };
    return whole;
}

// The default crop rectangle, in whole points truncated toward zero, in one
// write of the domain: a reader never sees half of one rectangle and half of
// another, and two of these at once leave one rectangle or the other. A
// rectangle wholeRectangle refuses writes nothing.
inline foundation::Result<WholeRectangle> writeDefaultRectangle(CGRect rectangle)
{
    auto whole = TRY(wholeRectangle(rectangle));
    PlistDict values;
    values.set(defaultX.name, PlistValue(whole.x));
    values.set(defaultY.name, PlistValue(whole.y));
    values.set(defaultWidth.name, PlistValue(whole.width));
    values.set(defaultHeight.name, PlistValue(whole.height));
    if (auto written = manager()->writeValues(values, domain); !written)
        return foundation::Error { foundation::ErrorCode::WriteFailed,
            "could not write the default rectangle (defaultX, defaultY, defaultWidth, defaultHeight): " + written.message() };
    return whole;
}

}  // namespace MarqelPreferences
