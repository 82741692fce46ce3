#include "tools/Command.h"

#include "common/SavedAreaStore.h"
#include "platform/foundation/DevicePath.h"

#include <CLI/CLI.hpp>
#include <charconv>
#include <iostream>

namespace tools {

namespace {

using SavedAreaFormat::SavedArea;

// Whatever a hand edit left in a name or a key is shown escaped, never
// raw: a tab would break the columns, a control byte would reach the
// terminal.
void print(const SavedArea& area)
{
    std::cout << SavedAreaFormat::listedText(area.name) << '\t' << SavedAreaFormat::frameText(area) << '\t'
              << SavedAreaFormat::listedText(area.key) << '\n';
}

// A number of points as typed; whether it can be stored is the store's rule.
double parsePoints(const std::string& what, const std::string& text)
{
    double value = 0;
    auto [end, ec] = std::from_chars(text.data(), text.data() + text.size(), value);
    if (ec != std::errc() || end != text.data() + text.size())
        throw CommandError(what + " \"" + text + "\" is not a number of points", 2);
    return value;
}

SavedAreaStore::Contents loadReadable()
{
    auto contents = SavedAreaStore::load();
    if (contents.unreadable)
        throw CommandError(hostPath(SavedAreaStore::devicePath) + " is not a saved-area file; nothing was changed");
    return contents;
}

// By the key as stored, or as the list shows it (escaped).
SavedArea findArea(const SavedAreaStore::Contents& contents, const std::string& id)
{
    for (const auto& area : SavedAreaStore::list(*contents.dictionary))
        if (area.key == id)
            return area;
    for (const auto& area : SavedAreaStore::list(*contents.dictionary))
        if (SavedAreaFormat::listedText(area.key) == id)
            return area;
    throw CommandError("no saved area has the id \"" + id + "\" (see `marqel areas list`)", 2);
}

}  // namespace

void addAreasCommand(CLI::App& app, GlobalOptions& options)
{
    auto* areas = app.add_subcommand("areas", "The saved areas: named crop rectangles the overlay can restore (/var/jb/vmo/Library/Preferences/MarqelSavedArea.plist in the device root)");
    areas->require_subcommand(1);

    auto* list = areas->add_subcommand("list", "One line per saved area, in the order the overlay lists them: name, frame (X, Y, W, H rounded to whole points), id (tab-separated)");
    list->callback([&options] {
        prepareDevice(options);
        auto contents = SavedAreaStore::load();
        if (contents.blocked)
            std::cerr << "marqel: " << contents.problem << "; no area is saved there until it is fixed\n";
        else if (contents.unreadable)
            std::cerr << "marqel: " << hostPath(SavedAreaStore::devicePath) << " cannot be read (" << contents.problem
                      << "); the next add keeps it aside\n";
        auto records = SavedAreaStore::list(*contents.dictionary);
        for (const auto& area : records)
            print(area);
        if (records.empty())
            std::cout << "no saved areas\n";
    });

    auto* add = areas->add_subcommand("add", "Save a rectangle under a name, as the overlay's save-area button does (numbers are kept to single precision); prints the new area");
    static std::string name, xText, yText, widthText, heightText;
    add->add_option("NAME", name, "Area name (stored as typed; UTF-8 text without control characters, not empty)")->required();
    add->add_option("X", xText, "Left edge in points (may be negative: off screen)")->required();
    add->add_option("Y", yText, "Top edge in points (may be negative: off screen)")->required();
    add->add_option("W", widthText, "Width in points, above 0")->required();
    add->add_option("H", heightText, "Height in points, above 0")->required();
    add->callback([&options] {
        if (auto named = SavedAreaStore::checkName(name); !named)
            throw CommandError(named.message(), 2);
        double x = parsePoints("X", xText);
        double y = parsePoints("Y", yText);
        double width = parsePoints("W", widthText);
        double height = parsePoints("H", heightText);
        CGRect frame = CGRectMake(x, y, width, height);
        if (auto fits = SavedAreaStore::checkFrame(frame); !fits)
            throw CommandError(fits.message(), 2);
        prepareDevice(options);
        auto contents = SavedAreaStore::load();
        auto added = SavedAreaStore::add(contents, name, frame);
        if (!added)
            throw CommandError("could not save the areas: " + added.message());
        print(added.value());
    });

    auto* rm = areas->add_subcommand("rm", "Delete one saved area");
    static std::string rmId;
    rm->add_option("ID", rmId, "The id `marqel areas list` shows")->required();
    rm->callback([&options] {
        prepareDevice(options);
        auto contents = loadReadable();
        auto area = findArea(contents, rmId);
        auto removed = SavedAreaStore::remove(contents, area.key);
        if (!removed && removed.code() == foundation::ErrorCode::NotFound)
            throw CommandError("no saved area has the id \"" + rmId + "\" any more: another change removed it (see `marqel areas list`)", 2);
        if (!removed)
            throw CommandError("could not save the areas: " + removed.message());
        std::cout << "removed " << rmId << '\n';
    });

    auto* makeDefault = areas->add_subcommand("default", "Make a saved area the default rectangle (preferences defaultX, defaultY, defaultWidth, defaultHeight, in whole points truncated toward zero, all four in one write, by the rule of `marqel prefs set`); the saved areas are not changed");
    static std::string defaultId;
    makeDefault->add_option("ID", defaultId, "The id `marqel areas list` shows")->required();
    makeDefault->callback([&options] {
        prepareDevice(options);
        auto area = findArea(loadReadable(), defaultId);
        auto written = SavedAreaStore::setAsDefault(area);
        if (!written)
            throw CommandError("the saved area " + defaultId + ": " + written.message());
        auto whole = written.value();
        std::cout << "defaultX = " << whole.x << "\ndefaultY = " << whole.y << "\ndefaultWidth = " << whole.width
                  << "\ndefaultHeight = " << whole.height << '\n';
    });
}

}  // namespace tools
