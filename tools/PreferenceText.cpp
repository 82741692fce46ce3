#include "tools/PreferenceText.h"

#include "kit/ZRColourText.h"
#include "tools/CommandError.h"

#include <algorithm>
#include <cctype>
#include <charconv>

namespace tools {

using MarqelPreferences::Kind;

namespace {
std::string lower(std::string text)
{
    std::transform(text.begin(), text.end(), text.begin(), [](unsigned char c) { return std::tolower(c); });
    return text;
}
}  // namespace

const MarqelPreferences::KeyInfo& findKey(const std::string& name)
{
    for (const auto& key : MarqelPreferences::allKeys)
        if (name == key.name)
            return key;
    std::string known;
    for (const auto& key : MarqelPreferences::allKeys)
        known += std::string(known.empty() ? "" : ", ") + key.name;
    throw CommandError("unknown preference key \"" + name + "\"; the keys are: " + known, 2);
}

const char* kindName(Kind kind)
{
    switch (kind) {
    case Kind::Bool: return "bool";
    case Kind::Integer: return "integer";
    case Kind::Number: return "whole points";
    case Kind::Colour: return "colour RRGGBB";
    }
    return "";
}

PlistValue parseValue(const MarqelPreferences::KeyInfo& info, const std::string& text)
{
    auto wrong = [&](const std::string& expected) {
        return CommandError("\"" + text + "\" is not a valid value for " + info.name + " (" + kindName(info.kind) + "): expected " + expected, 2);
    };
    switch (info.kind) {
    case Kind::Bool: {
        std::string t = lower(text);
        if (t == "true" || t == "yes" || t == "on" || t == "1")
            return PlistValue(true);
        if (t == "false" || t == "no" || t == "off" || t == "0")
            return PlistValue(false);
        throw wrong("true or false");
    }
    case Kind::Integer: {
        std::int64_t value = 0;
        auto [end, ec] = std::from_chars(text.data(), text.data() + text.size(), value);
        if (ec != std::errc() || end != text.data() + text.size())
            throw wrong("a whole number");
        return PlistValue(value);
    }
    case Kind::Number: {
        double value = 0;
        auto [end, ec] = std::from_chars(text.data(), text.data() + text.size(), value);
        if (ec != std::errc() || end != text.data() + text.size())
            throw wrong("a number of points");
        auto whole = MarqelPreferences::wholePoints({ info.name, info.defaultNumber }, value);
        if (!whole)
            throw CommandError("\"" + text + "\" is not a valid value for " + info.name + " (" + kindName(info.kind) + "): " + whole.message(), 2);
        return PlistValue(whole.value());
    }
    case Kind::Colour: {
        auto colour = zr::colourText(text);
        if (!colour)
            throw wrong("six hexadecimal digits such as FF8800");
        return PlistValue(colour.release());
    }
    }
    throw wrong("a value");
}
}  // namespace tools
