#include "tools/Command.h"
#include "tools/PreferenceText.h"

#include "platform/foundation/DevicePath.h"
#include "platform/foundation/PropertyList.h"
#include "tweak/core/MarqelPreferences.h"

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
        if (!MarqelPreferences::manager()->setValue(value, info.name, MarqelPreferences::domain))
            throw CommandError("could not write the preference file under " + DevicePath::root());
        std::cout << info.name << " = " << MarqelPreferences::readText(info) << '\n';
    });
}

}  // namespace tools
