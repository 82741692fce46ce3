#include "tools/Command.h"
#include "tools/PreferenceText.h"

#include "common/MarqelPreferences.h"
#include "platform/foundation/DevicePath.h"
#include "platform/foundation/PropertyList.h"

#include <CLI/CLI.hpp>
#include <algorithm>
#include <cctype>
#include <charconv>
#include <cmath>
#include <iostream>

namespace tools {

void addPrefsCommand(CLI::App& app, GlobalOptions& options)
{
    auto* prefs = app.add_subcommand("prefs", "Read and write the preference domain com.zorvelin.MarqelPrefs");
    prefs->require_subcommand(1);

    auto* list = prefs->add_subcommand("list", "Show every key with the value its readers see");
    list->callback([&options] {
        prepareDevice(options);
        for (const auto& key : MarqelPreferences::allKeys)
            std::cout << key.name << " = " << MarqelPreferences::readText(key) << "    # " << kindName(key.kind) << ": " << key.meaning << '\n';
        auto manager = MarqelPreferences::manager();
        std::string file = hostPath(ZRPrefsManager::devicePathForDomain(MarqelPreferences::domain));
        if (auto readable = manager->readable(MarqelPreferences::domain); !readable)
            std::cout << "# " << file << " is unreadable (" << readable.message() << "): every key shows its default; the next `prefs set` keeps it beside the new file\n";
        for (const auto& kept : manager->keptUnreadableFiles(MarqelPreferences::domain))
            std::cout << "# an earlier domain file was unreadable; it was kept as " << kept << '\n';
    });

    auto* get = prefs->add_subcommand("get", "Show one key's value");
    static std::string getKey;
    get->add_option("KEY", getKey, "Preference key")->required();
    get->callback([&options] {
        prepareDevice(options);
        std::cout << MarqelPreferences::readText(findKey(getKey)) << '\n';
    });

    auto* set = prefs->add_subcommand("set", "Write one key, typed by the key table");
    static std::string setKey, setText;
    set->add_option("KEY", setKey, "Preference key")->required();
    set->add_option("VALUE", setText, "New value: true/false, a whole number, points (truncated), or RRGGBB")->required();
    set->callback([&options] {
        prepareDevice(options);
        const auto& info = findKey(setKey);
        PlistValue value = parseValue(info, setText);
        // Stored as asked (the overlay then gives no feedback), but the user should know.
        if (std::string_view(info.name) == MarqelPreferences::marqelHapticStrength.name) {
            auto strength = *value.get<std::int64_t>();
            if (strength < 0 || strength > 2)
                std::cerr << "marqel: warning: " << info.name << " is 0 (soft), 1 (light) or 2 (medium); " << strength
                          << " is stored and gives no haptic feedback\n";
        }
        if (auto written = MarqelPreferences::manager()->writeValue(value, info.name, MarqelPreferences::domain); !written)
            throw CommandError("could not write the preference file under " + DevicePath::root() + ": " + written.message());
        std::cout << info.name << " = " << MarqelPreferences::readText(info) << '\n';
    });
}

}  // namespace tools
