#include "common/MarqelPreferences.h"
#include "common/SavedAreaStore.h"
#include "platform/foundation/Foundation.h"
#include "platform/foundation/UnreadableFile.h"
#include "tests/support/Program.h"
#include "tests/support/TestDevice.h"

#include <gtest/gtest.h>

#include <csignal>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <limits>
#include <optional>
#include <set>
#include <sstream>
#include <sys/resource.h>
#include <sys/stat.h>
#include <sys/wait.h>

namespace {

namespace fs = std::filesystem;
using SavedAreaFormat::SavedArea;

class SavedAreaStoreTest : public ::testing::Test {
protected:
    std::string file() const { return device.host(SavedAreaStore::devicePath); }
    std::string bytes(const std::string& path) const
    {
        std::ifstream in(path, std::ios::binary);
        std::stringstream out;
        out << in.rdbuf();
        return out.str();
    }
    void writeBytes(const std::string& path, const std::string& text) const
    {
        fs::create_directories(fs::path(path).parent_path());
        std::ofstream(path, std::ios::binary) << text;
    }
    // Each add takes its identifier from the clock; a step keeps them apart.
    SavedArea add(const std::string& name, CGRect frame)
    {
        RunLoop::main().runFor(0.01);
        auto contents = SavedAreaStore::load();
        auto added = SavedAreaStore::add(contents, name, frame);
        EXPECT_TRUE(added.ok()) << (added.ok() ? "" : added.message());
        return added.ok() ? added.value() : SavedArea {};
    }
    std::vector<SavedArea> listed() const { return SavedAreaStore::list(*SavedAreaStore::load().dictionary); }
    std::string nowIdentifier() const { return SavedAreaFormat::identifierFor(RunLoop::main().clock().epochSeconds()); }
    bool logged(const std::string& text, std::size_t from) const { return logged(text, "", from); }
    // One line that says both.
    bool logged(const std::string& text, const std::string& reason, std::size_t from) const
    {
        for (const auto& line : SystemLog::shared().lines(from))
            if (line.find(text) != std::string::npos && line.find(reason) != std::string::npos)
                return true;
        return false;
    }
    // What the folder holds, but the writers' lock file: it is there from
    // the first change on, empty, and is no one's data.
    std::vector<std::string> folder() const
    {
        std::vector<std::string> names;
        for (const auto& entry : fs::directory_iterator(fs::path(file()).parent_path()))
            if (entry.path().filename() != "MarqelSavedArea.plist.lock")
                names.push_back(entry.path().filename().string());
        std::sort(names.begin(), names.end());
        return names;
    }

    TestDevice device;
};

TEST_F(SavedAreaStoreTest, WithNoFileTheListIsEmptyAndAnAddCreatesTheFile)
{
    auto contents = SavedAreaStore::load();
    EXPECT_FALSE(contents.unreadable);
    EXPECT_EQ(contents.dictionary->count(), 0u);
    EXPECT_FALSE(fs::exists(file()));

    std::string expectedId = nowIdentifier();
    auto added = SavedAreaStore::add(contents, "Home", CGRectMake(70, 297, 250, 250));
    ASSERT_TRUE(added.ok());
    EXPECT_EQ(added.value().key, expectedId);
    EXPECT_EQ(added.value().identifier, expectedId);
    EXPECT_EQ(expectedId.size(), 13u) << "milliseconds of a present-day date";
    EXPECT_TRUE(fs::exists(file()));
    auto list = listed();
    ASSERT_EQ(list.size(), 1u);
    EXPECT_EQ(list[0], added.value());
    EXPECT_EQ(contents.dictionary->count(), 1u) << "the caller's loaded copy holds the new record too";
}

TEST_F(SavedAreaStoreTest, TheFileIsATopLevelDictionaryOfRecordsKeyedByTheirId)
{
    auto home = add("Home", CGRectMake(1, 2, 3, 4));
    auto work = add("Work", CGRectMake(5, 6, 7.25, 8));
    auto root = plist::readFile(file());
    ASSERT_TRUE(root && root.value().is<PlistDict>());
    const auto& top = *root.value().get<PlistDict>();
    std::vector<std::string> keys;
    for (const auto& [key, value] : top)
        keys.push_back(key);
    EXPECT_EQ(keys, (std::vector<std::string> { home.key, work.key })) << "records keep the order they were added in";

    // Each record as the file holds it: exactly the six entries, the name as
    // a string and the numbers as reals.
    auto expectRecord = [&](const std::string& key, const std::string& name, std::vector<double> numbers) {
        const PlistValue* value = top.find(key);
        ASSERT_NE(value, nullptr) << key;
        const auto* record = value->get<PlistDict>();
        ASSERT_NE(record, nullptr) << key;
        std::vector<std::string> entries;
        for (const auto& [entry, ignored] : *record)
            entries.push_back(entry);
        ASSERT_EQ(entries, (std::vector<std::string> { "id", "areaName", "areaX", "areaY", "areaWidth", "areaHeight" }));
        ASSERT_TRUE(record->find("id")->get<std::string>());
        EXPECT_EQ(*record->find("id")->get<std::string>(), key);
        ASSERT_TRUE(record->find("areaName")->get<std::string>());
        EXPECT_EQ(*record->find("areaName")->get<std::string>(), name);
        std::vector<double> stored;
        for (const char* number : { "areaX", "areaY", "areaWidth", "areaHeight" }) {
            const auto* real = record->find(number)->get<double>();
            ASSERT_TRUE(real) << number << " is not a real";
            stored.push_back(*real);
        }
        EXPECT_EQ(stored, numbers);
    };
    expectRecord(home.key, "Home", { 1, 2, 3, 4 });
    expectRecord(work.key, "Work", { 5, 6, 7.25, 8 });
    std::string xml = bytes(file());
    EXPECT_NE(xml.find("<?xml"), std::string::npos) << "an XML property list";
    EXPECT_NE(xml.find("<real>"), std::string::npos);
}

TEST_F(SavedAreaStoreTest, NumbersComeBackAsTheNearestFloat)
{
    add("Precise", CGRectMake(1234.5678, 5678.25, 300, 200));
    auto list = listed();
    ASSERT_EQ(list.size(), 1u);
    EXPECT_EQ(list[0].x, 1234.5677490234375);
    EXPECT_EQ(list[0].y, 5678.25);
    auto root = plist::readFile(file()).release();
    const auto* record = root.get<PlistDict>()->begin()->second.get<PlistDict>();
    EXPECT_EQ(*record->find("areaX")->get<double>(), 1234.5677490234375) << "the file itself holds the float";
}

TEST_F(SavedAreaStoreTest, ANameOfSpacesIsStoredAsTyped)
{
    add("   ", CGRectMake(0, 0, 150, 150));
    auto list = listed();
    ASSERT_EQ(list.size(), 1u);
    EXPECT_EQ(list[0].name, "   ");
    EXPECT_EQ(SavedAreaFormat::iconLetter(list[0].name), " ");
}

TEST_F(SavedAreaStoreTest, AnEmptyNameWritesNothing)
{
    add("Home", CGRectMake(1, 2, 3, 4));
    std::string before = bytes(file());
    auto contents = SavedAreaStore::load();
    auto added = SavedAreaStore::add(contents, "", CGRectMake(5, 6, 7, 8));
    EXPECT_FALSE(added.ok());
    EXPECT_EQ(added.code(), foundation::ErrorCode::InvalidArgument);
    EXPECT_EQ(bytes(file()), before);
    EXPECT_EQ(contents.dictionary->count(), 1u);
}

// What every path that adds (the overlay, the command) is held to: a name
// and numbers the file keeps for every reader of property lists.
TEST_F(SavedAreaStoreTest, ANameOrRectangleTheFileCannotKeepIsRefusedAndWritesNothing)
{
    add("Home", CGRectMake(1, 2, 150, 150));
    std::string before = bytes(file());
    const double nan = std::numeric_limits<double>::quiet_NaN(), inf = std::numeric_limits<double>::infinity();
    struct Case {
        const char* name;
        CGRect frame;
    };
    for (auto [name, frame] : { Case { "tab\tname", CGRectMake(1, 2, 150, 150) }, Case { "line\nbreak", CGRectMake(1, 2, 150, 150) },
             Case { "\x7f", CGRectMake(1, 2, 150, 150) }, Case { "\xff\xfe", CGRectMake(1, 2, 150, 150) },
             Case { "cut \xe2\x9c", CGRectMake(1, 2, 150, 150) }, Case { "Nan", CGRectMake(nan, 2, 150, 150) },
             Case { "Inf", CGRectMake(1, inf, 150, 150) }, Case { "Huge", CGRectMake(1, 2, 1e39, 150) },
             Case { "Flat", CGRectMake(1, 2, 150, 0) }, Case { "Inside out", CGRectMake(1, 2, -5, 150) },
             // Above 0 as typed, 0 once kept to single precision.
             Case { "Speck", CGRectMake(1, 1, 1e-50, 1) }, Case { "Sliver", CGRectMake(1, 1, 1, 1e-46) },
             // Bytes after which plistlib and xmllint refuse the whole file.
             Case { "surrogate \xED\xA0\x80", CGRectMake(1, 2, 150, 150) }, Case { "overlong \xC0\x80", CGRectMake(1, 2, 150, 150) },
             Case { "beyond \xF4\x90\x80\x80", CGRectMake(1, 2, 150, 150) }, Case { "nonchar \xEF\xBF\xBE", CGRectMake(1, 2, 150, 150) },
             Case { "Ho\x01me\x0b", CGRectMake(1, 2, 150, 150) } }) {
        auto contents = SavedAreaStore::load();
        auto added = SavedAreaStore::add(contents, name, frame);
        ASSERT_FALSE(added.ok()) << name;
        EXPECT_EQ(added.code(), foundation::ErrorCode::InvalidArgument) << name;
        EXPECT_EQ(contents.dictionary->count(), 1u) << name << ": the loaded copy is not changed either";
    }
    EXPECT_EQ(bytes(file()), before);

    // What a person may type, and a box partly off screen or tiny, are kept.
    add("Caf\xc3\xa9 \xe2\x9c\x82 \xf0\x9f\x8e\xac", CGRectMake(-40, -10.5, 150, 150));
    add("Dot", CGRectMake(0, 0, 1e-3, 1e-3));
    auto list = listed();
    ASSERT_EQ(list.size(), 3u);
    EXPECT_EQ(list[1].name, "Caf\xc3\xa9 \xe2\x9c\x82 \xf0\x9f\x8e\xac");
    EXPECT_EQ(list[1].x, -40);
    EXPECT_GT(list[2].width, 0);
}

// Another writer (another process, or the same clock reading) may have
// taken this millisecond: the new record takes the next free one rather
// than replacing a record that was reported saved.
TEST_F(SavedAreaStoreTest, TwoAddsInOneMillisecondKeepBoth)
{
    std::string now = nowIdentifier();
    auto contents = SavedAreaStore::load();
    ASSERT_TRUE(SavedAreaStore::add(contents, "First", CGRectMake(1, 1, 1, 1)).ok());
    contents = SavedAreaStore::load();
    auto second = SavedAreaStore::add(contents, "Second", CGRectMake(2, 2, 2, 2));
    ASSERT_TRUE(second.ok());
    EXPECT_EQ(second.value().key, std::to_string(std::stoll(now) + 1));
    EXPECT_EQ(second.value().identifier, second.value().key);
    auto list = listed();
    ASSERT_EQ(list.size(), 2u);
    EXPECT_EQ(list[0].name, "First");
    EXPECT_EQ(list[0].key, now);
    EXPECT_EQ(list[1], second.value());
}

TEST_F(SavedAreaStoreTest, AnAddWorksOnTheFileAsItIsNotOnAnOldLoad)
{
    auto stale = SavedAreaStore::load();
    auto keptBy = stale.dictionary;
    add("Elsewhere", CGRectMake(1, 2, 150, 150));
    RunLoop::main().runFor(0.01);
    auto added = SavedAreaStore::add(stale, "Mine", CGRectMake(3, 4, 150, 150));
    ASSERT_TRUE(added.ok());
    auto list = listed();
    ASSERT_EQ(list.size(), 2u);
    EXPECT_EQ(list[0].name, "Elsewhere") << "the other writer's record survives";
    EXPECT_EQ(list[1].name, "Mine");
    EXPECT_EQ(stale.dictionary, keptBy) << "the caller's dictionary object is the one filled";
    EXPECT_EQ(keptBy->count(), 2u) << "and it holds what was written";
}

TEST_F(SavedAreaStoreTest, DeletingOneRecordLeavesEveryOtherUnchanged)
{
    auto a = add("A", CGRectMake(10.1, 20.2, 300.3, 400.4));
    auto b = add("B", CGRectMake(1, 2, 3, 4));
    auto c = add("C", CGRectMake(-5, 900, 150, 150));
    auto before = *plist::readFile(file()).value().get<PlistDict>();
    auto contents = SavedAreaStore::load();
    ASSERT_TRUE(SavedAreaStore::remove(contents, b.key).ok());
    auto after = *plist::readFile(file()).value().get<PlistDict>();
    ASSERT_EQ(after.size(), 2u);
    EXPECT_FALSE(after.contains(b.key));
    EXPECT_EQ(*after.find(a.key), *before.find(a.key));
    EXPECT_EQ(*after.find(c.key), *before.find(c.key));
    EXPECT_EQ(listed(), (std::vector<SavedArea> { a, c }));
}

TEST_F(SavedAreaStoreTest, DeletingAnUnknownIdWritesNothing)
{
    add("A", CGRectMake(1, 2, 3, 4));
    std::string before = bytes(file());
    auto contents = SavedAreaStore::load();
    auto removed = SavedAreaStore::remove(contents, "12345");
    EXPECT_EQ(removed.code(), foundation::ErrorCode::NotFound);
    EXPECT_EQ(bytes(file()), before);

    fs::remove(file());
    auto empty = SavedAreaStore::load();
    EXPECT_EQ(SavedAreaStore::remove(empty, "12345").code(), foundation::ErrorCode::NotFound);
    EXPECT_FALSE(fs::exists(file())) << "deleting from no file creates none";
}

TEST_F(SavedAreaStoreTest, SetAsDefaultWritesWholePointsAndLeavesTheAreasAlone)
{
    namespace P = MarqelPreferences;
    add("Other", CGRectMake(1, 1, 150, 150));
    add("Default", CGRectMake(12.9, -0.5, 200.7, 300.2));
    std::string before = bytes(file());
    auto list = listed();
    ASSERT_TRUE(SavedAreaStore::setAsDefault(list[1]).ok());
    EXPECT_EQ(P::read(P::defaultX), 12);
    EXPECT_EQ(P::read(P::defaultY), 0);
    EXPECT_EQ(P::read(P::defaultWidth), 200);
    EXPECT_EQ(P::read(P::defaultHeight), 300);
    EXPECT_EQ(bytes(file()), before);
    EXPECT_EQ(listed(), list);
}

TEST_F(SavedAreaStoreTest, SetAsDefaultThatCannotWriteSaysWhichKeysAndWhy)
{
    namespace P = MarqelPreferences;
    auto area = add("Default", CGRectMake(12.9, 1, 200.7, 300.2));
    // A folder where the domain's file belongs: no write may replace it.
    fs::create_directories(device.host(ZRPrefsManager::devicePathForDomain(P::domain)));
    auto written = SavedAreaStore::setAsDefault(area);
    ASSERT_FALSE(written.ok());
    for (const char* key : { "defaultX", "defaultY", "defaultWidth", "defaultHeight" })
        EXPECT_NE(written.message().find(key), std::string::npos) << written.message();
    EXPECT_NE(written.message().find("com.zorvelin.MarqelPrefs.plist"), std::string::npos) << "each write's own reason: " << written.message();
    EXPECT_TRUE(fs::is_directory(device.host(ZRPrefsManager::devicePathForDomain(P::domain))));
}

// A hand-edited record can hold numbers `prefs set` would refuse; the
// default rectangle is held to the same rule, and a refused one writes
// none of the four keys.
TEST_F(SavedAreaStoreTest, SetAsDefaultRefusesWhatPrefsSetRefusesAndWritesNothing)
{
    namespace P = MarqelPreferences;
    const double nan = std::numeric_limits<double>::quiet_NaN(), inf = std::numeric_limits<double>::infinity();
    std::string domainFile = device.host(ZRPrefsManager::devicePathForDomain(P::domain));
    struct Case {
        SavedArea area;
        const char* refusedKey;
    };
    for (const auto& [area, refusedKey] : { Case { { "k", "k", "Huge", 3.4e38, 0, 100, 100 }, "defaultX" },
             Case { { "k", "k", "Not a number", 0, nan, 100, 100 }, "defaultY" },
             Case { { "k", "k", "Endless", 0, 0, inf, 100 }, "defaultWidth" },
             Case { { "k", "k", "Inside out", 0, 0, 100, -5 }, "defaultHeight" },
             Case { { "k", "k", "Less than a point", 0, 0, 0.5, 100 }, "defaultWidth" } }) {
        auto written = SavedAreaStore::setAsDefault(area);
        ASSERT_FALSE(written.ok()) << area.name;
        EXPECT_EQ(written.code(), foundation::ErrorCode::InvalidArgument) << area.name;
        EXPECT_NE(written.message().find(refusedKey), std::string::npos) << area.name << ": " << written.message();
        EXPECT_FALSE(fs::exists(domainFile)) << area.name << " wrote the preferences";
    }

    ASSERT_TRUE(SavedAreaStore::setAsDefault({ "k", "k", "Fine", -20.5, 30, 150.9, 1 }).ok());
    std::string before = bytes(domainFile);
    EXPECT_FALSE(SavedAreaStore::setAsDefault({ "k", "k", "Half bad", 40, 50, 60, -70 }).ok());
    EXPECT_EQ(bytes(domainFile), before) << "not even the numbers that were fine";
    EXPECT_EQ(P::read(P::defaultX), -20);
    EXPECT_EQ(P::read(P::defaultWidth), 150);
    EXPECT_EQ(P::read(P::defaultHeight), 1);
}

// What hand edits leave behind is listed, never a crash.
TEST_F(SavedAreaStoreTest, HandEditedRecordsAreListedAndRemovable)
{
    writeBytes(file(), R"(<?xml version="1.0" encoding="UTF-8"?>
<!DOCTYPE plist PUBLIC "-//Apple//DTD PLIST 1.0//EN" "http://www.apple.com/DTDs/PropertyList-1.0.dtd">
<plist version="1.0">
<dict>
  <key>noid</key>
  <dict><key>areaName</key><string>No id</string><key>areaX</key><real>5</real></dict>
  <key>typed</key>
  <dict><key>id</key><string>typed</string><key>areaName</key><string></string><key>areaX</key><string>12</string><key>areaWidth</key><integer>200</integer></dict>
  <key>text</key>
  <string>not a record</string>
  <key>nameless</key>
  <dict><key>id</key><string>nameless</string><key>areaHeight</key><real>99.5</real></dict>
</dict>
</plist>
)");
    auto list = listed();
    ASSERT_EQ(list.size(), 4u);
    EXPECT_EQ(list[0], (SavedArea { "noid", "", "No id", 5, 0, 0, 0 }));
    EXPECT_EQ(list[1], (SavedArea { "typed", "typed", "", 0, 0, 200, 0 }));
    EXPECT_EQ(list[2], (SavedArea { "text", "", "", 0, 0, 0, 0 }));
    EXPECT_EQ(list[3], (SavedArea { "nameless", "nameless", "", 0, 0, 0, 99.5 }));
    EXPECT_EQ(SavedAreaFormat::iconLetter(list[1].name), "");
    EXPECT_EQ(SavedAreaFormat::frameText(list[2]), "X:0, Y:0, W:0, H:0");

    auto contents = SavedAreaStore::load();
    ASSERT_TRUE(SavedAreaStore::remove(contents, list[0].key).ok()) << "a record without id goes by its key";
    contents = SavedAreaStore::load();
    ASSERT_TRUE(SavedAreaStore::remove(contents, list[2].key).ok());
    auto left = listed();
    ASSERT_EQ(left.size(), 2u);
    EXPECT_EQ(left[0], list[1]);
    EXPECT_EQ(left[1], list[3]);
}

TEST_F(SavedAreaStoreTest, ARecordWhoseIdNamesAnotherIsRemovedByItsOwnKey)
{
    auto keep = add("Keep", CGRectMake(1, 2, 3, 4));
    auto contents = SavedAreaStore::load();
    PlistDict stray = SavedAreaFormat::makeRecord(keep.key, "Stray copy", CGRectMake(9, 9, 9, 9));
    contents.dictionary->setObject(stray, "stray");
    ASSERT_TRUE(SavedAreaStore::save(contents, "1").ok());
    contents = SavedAreaStore::load();
    ASSERT_TRUE(SavedAreaStore::remove(contents, "stray").ok());
    EXPECT_EQ(listed(), std::vector<SavedArea> { keep });
}

class UnreadableFile : public SavedAreaStoreTest, public ::testing::WithParamInterface<const char*> { };

TEST_P(UnreadableFile, IsKeptAsideBeforeTheNextAddWritesAndALogLineNamesIt)
{
    writeBytes(file(), GetParam());
    auto contents = SavedAreaStore::load();
    EXPECT_TRUE(contents.unreadable);
    EXPECT_EQ(contents.dictionary->count(), 0u) << "read as an empty store";

    std::size_t mark = SystemLog::shared().lineCount();
    auto added = SavedAreaStore::add(contents, "Fresh", CGRectMake(1, 2, 150, 150));
    ASSERT_TRUE(added.ok());
    auto kept = foundation::unreadableCopiesOf(file());
    ASSERT_EQ(kept.size(), 1u);
    EXPECT_EQ(bytes(kept[0]), GetParam()) << "the old file survives, byte for byte";
    EXPECT_TRUE(logged("kept it as " + kept[0], mark));
    auto list = listed();
    ASSERT_EQ(list.size(), 1u);
    EXPECT_EQ(list[0].name, "Fresh");

    // Now readable: the next add keeps nothing else aside.
    add("Second", CGRectMake(1, 2, 150, 150));
    EXPECT_EQ(folder().size(), 2u);
}

INSTANTIATE_TEST_SUITE_P(SavedAreaStore, UnreadableFile,
    ::testing::Values("these are my areas, typed by hand {", "<?xml version=\"1.0\"?><plist version=\"1.0\"><array><string>a</string></array></plist>",
        "<?xml version=\"1.0\"?><plist version=\"1.0\"><dict><key>1</key><dict><key>areaName</key><string>cut"));

TEST_F(SavedAreaStoreTest, AnUnreadableFileIsNeverOverwrittenByADelete)
{
    writeBytes(file(), "garbage");
    auto contents = SavedAreaStore::load();
    EXPECT_EQ(SavedAreaStore::remove(contents, "1").code(), foundation::ErrorCode::UnreadableInput);
    EXPECT_EQ(bytes(file()), "garbage");
    EXPECT_EQ(folder(), std::vector<std::string> { "MarqelSavedArea.plist" });
}

// Records and names have no limit of their own: a file past the 4 MB other
// property lists may be (long names, many records) is read, listed and
// added to, never set aside as unreadable.
TEST_F(SavedAreaStoreTest, AFileOfManyRecordsOrLongNamesIsReadAndAddedTo)
{
    PlistDict records;
    const std::string longName(120000, 'n');
    for (int i = 0; i < 40; ++i) {
        std::string key = std::to_string(1700000000000 + i);
        records.set(key, SavedAreaFormat::makeRecord(key, longName, CGRectMake(i, 2, 150, 150)));
    }
    for (int i = 40; i < 14040; ++i) {
        std::string key = std::to_string(1700000000000 + i);
        records.set(key, SavedAreaFormat::makeRecord(key, "Area " + std::to_string(i), CGRectMake(i, 2, 150, 150)));
    }
    fs::create_directories(fs::path(file()).parent_path());
    ASSERT_TRUE(plist::writeFileAtomically(PlistValue(records), file()));
    ASSERT_GT(fs::file_size(file()), plist::maxInputBytes * 2);
    auto contents = SavedAreaStore::load();
    EXPECT_FALSE(contents.unreadable) << contents.problem;
    EXPECT_EQ(SavedAreaStore::list(*contents.dictionary).size(), 14040u);
    add("One more", CGRectMake(1, 2, 150, 150));
    EXPECT_EQ(listed().size(), 14041u);
    EXPECT_EQ(listed()[0].name, longName);
    EXPECT_TRUE(foundation::unreadableCopiesOf(file()).empty());
}

// An add that would take the file past what it may hold is refused, saying
// so, and writes nothing: the store never writes a file it would then
// refuse to read.
TEST_F(SavedAreaStoreTest, AnAddPastTheFileLimitIsRefusedAndWritesNothing)
{
    add("Home", CGRectMake(1, 2, 150, 150));
    const std::string before = bytes(file());
    std::size_t mark = SystemLog::shared().lineCount();
    auto contents = SavedAreaStore::load();
    auto added = SavedAreaStore::add(contents, std::string(SavedAreaStore::maxFileBytes, 'x'), CGRectMake(1, 2, 150, 150));
    ASSERT_FALSE(added.ok());
    EXPECT_EQ(added.code(), foundation::ErrorCode::InvalidArgument);
    EXPECT_NE(added.message().find("past the 64 MB their file may hold"), std::string::npos) << added.message();
    EXPECT_NE(added.message().find("nothing was saved"), std::string::npos) << added.message();
    EXPECT_TRUE(logged("could not save the areas", "64 MB", mark));
    EXPECT_EQ(bytes(file()), before);
    EXPECT_EQ(folder(), std::vector<std::string> { "MarqelSavedArea.plist" });
    ASSERT_EQ(listed().size(), 1u);
}

// A FIFO (or a folder) in the file's place is no damaged file to keep
// aside: it is named, nothing waits on it, and nothing is written there.
TEST_F(SavedAreaStoreTest, AFifoInTheFilesPlaceIsNamedAndNeverWrittenOver)
{
    fs::create_directories(fs::path(file()).parent_path());
    ASSERT_EQ(::mkfifo(file().c_str(), 0644), 0);
    auto contents = SavedAreaStore::load();
    EXPECT_TRUE(contents.unreadable);
    EXPECT_TRUE(contents.blocked);
    EXPECT_NE(contents.problem.find("is a FIFO"), std::string::npos) << contents.problem;
    auto added = SavedAreaStore::add(contents, "Home", CGRectMake(1, 2, 150, 150));
    ASSERT_FALSE(added.ok());
    EXPECT_NE(added.message().find("is a FIFO"), std::string::npos) << added.message();
    EXPECT_TRUE(fs::is_fifo(file()));
    EXPECT_EQ(folder(), std::vector<std::string> { "MarqelSavedArea.plist" });
}

TEST_F(SavedAreaStoreTest, AKeptAsideFileNeverReplacesAnEarlierOne)
{
    // Both in the same second: the second copy takes the next name.
    for (const char* damaged : { "kept before", "garbage" }) {
        writeBytes(file(), damaged);
        auto contents = SavedAreaStore::load();
        ASSERT_TRUE(SavedAreaStore::add(contents, "Fresh", CGRectMake(1, 2, 150, 150)).ok());
    }
    auto kept = foundation::unreadableCopiesOf(file());
    ASSERT_EQ(kept.size(), 2u);
    EXPECT_EQ(kept[1], kept[0] + "-1");
    EXPECT_EQ(bytes(kept[0]), "kept before");
    EXPECT_EQ(bytes(kept[1]), "garbage");
}

TEST_F(SavedAreaStoreTest, AWriteWithoutItsFolderIsLoggedAndReported)
{
    // The folder's name is taken by a file.
    writeBytes(fs::path(file()).parent_path().string(), "not a folder");
    std::size_t mark = SystemLog::shared().lineCount();
    auto contents = SavedAreaStore::load();
    auto added = SavedAreaStore::add(contents, "Home", CGRectMake(1, 2, 150, 150));
    ASSERT_FALSE(added.ok());
    EXPECT_EQ(added.code(), foundation::ErrorCode::WriteFailed);
    EXPECT_TRUE(logged("marqel: could not save the areas: ", "Not a directory", mark));
    EXPECT_EQ(bytes(fs::path(file()).parent_path().string()), "not a folder");
}

// A full disk, as root cannot be refused a permission: no file may grow
// beyond a few bytes while the write runs.
TEST_F(SavedAreaStoreTest, AFailedWriteLeavesTheOldFileWhole)
{
    add("Home", CGRectMake(1, 2, 3, 4));
    std::string before = bytes(file());
    std::size_t mark = SystemLog::shared().lineCount();
    auto contents = SavedAreaStore::load();

    rlimit old {};
    ASSERT_EQ(getrlimit(RLIMIT_FSIZE, &old), 0);
    auto oldHandler = std::signal(SIGXFSZ, SIG_IGN);
    rlimit small = old;
    small.rlim_cur = 64;
    ASSERT_EQ(setrlimit(RLIMIT_FSIZE, &small), 0);
    RunLoop::main().runFor(0.01);
    auto added = SavedAreaStore::add(contents, "Work", CGRectMake(5, 6, 7, 8));
    setrlimit(RLIMIT_FSIZE, &old);
    std::signal(SIGXFSZ, oldHandler);

    ASSERT_FALSE(added.ok());
    EXPECT_TRUE(logged("marqel: could not save the areas: ", "File too large", mark));
    EXPECT_EQ(bytes(file()), before);
    EXPECT_EQ(folder(), std::vector<std::string> { "MarqelSavedArea.plist" }) << "no temporary file is left behind";
}

// Other processes changing the file and the preferences at once, as the
// overlay and any number of `marqel areas` commands may: this test program
// started afresh in the role below.
constexpr const char* roleRoot = "MARQEL_TEST_AREAS_ROOT";
constexpr const char* roleAction = "MARQEL_TEST_AREAS_ACTION";

pid_t startProcess(const std::string& root, const std::string& action)
{
    return testsupport::startThisTest("SavedAreaProcesses.DISABLED_Role",
        { std::string(roleRoot) + "=" + root, std::string(roleAction) + "=" + action });
}

// "add:PREFIX:COUNT" adds areas named PREFIX-0 ...; "default:KEY:COUNT"
// makes the area listed under KEY the default COUNT times.
TEST(SavedAreaProcesses, DISABLED_Role)
{
    const char* root = std::getenv(roleRoot);
    const char* action = std::getenv(roleAction);
    if (!root || !action)
        GTEST_SKIP() << "only as another test's process";
    DevicePath::setRoot(root);
    // Identifiers from the real clock, as two processes on the phone have.
    RunLoop::main().reset(ClockKind::Real);
    std::istringstream words(action);
    std::string verb, what, count;
    std::getline(words, verb, ':');
    std::getline(words, what, ':');
    std::getline(words, count);
    for (int i = 0; i < std::stoi(count); ++i) {
        if (verb == "add") {
            auto contents = SavedAreaStore::load();
            auto added = SavedAreaStore::add(contents, what + "-" + std::to_string(i), CGRectMake(i, i, 100 + i, 100 + i));
            ASSERT_TRUE(added.ok()) << added.message();
        } else {
            std::optional<SavedArea> area;
            for (const auto& listed : SavedAreaStore::list(*SavedAreaStore::load().dictionary))
                if (listed.key == what)
                    area = listed;
            ASSERT_TRUE(area);
            auto written = SavedAreaStore::setAsDefault(*area);
            ASSERT_TRUE(written.ok()) << written.message();
        }
    }
}

TEST_F(SavedAreaStoreTest, FourProcessesAddingAtOnceLoseNoArea)
{
    constexpr int processes = 4, adds = 25;
    std::vector<pid_t> children;
    for (int p = 0; p < processes; ++p)
        children.push_back(startProcess(device.root(), "add:p" + std::to_string(p) + ":" + std::to_string(adds)));
    for (pid_t child : children)
        EXPECT_TRUE(testsupport::finishedWell(child)) << "every add reported success";
    std::set<std::string> names;
    for (const auto& area : listed())
        names.insert(area.name);
    EXPECT_EQ(names.size(), std::size_t(processes * adds));
    for (int p = 0; p < processes; ++p)
        for (int i = 0; i < adds; ++i)
            EXPECT_TRUE(names.count("p" + std::to_string(p) + "-" + std::to_string(i))) << "p" << p << "-" << i << " is lost";
}

// The four numbers of the default rectangle, as one read of the domain file
// finds them; -1 for a key that is not there.
std::vector<std::int64_t> defaultRectangleIn(const std::string& domainFile)
{
    std::vector<std::int64_t> numbers;
    auto root = plist::readFile(domainFile);
    const PlistDict* keys = root ? root.value().get<PlistDict>() : nullptr;
    for (const char* key : { "defaultX", "defaultY", "defaultWidth", "defaultHeight" }) {
        const PlistValue* value = keys ? keys->find(key) : nullptr;
        const std::int64_t* whole = value ? value->get<std::int64_t>() : nullptr;
        numbers.push_back(whole ? *whole : -1);
    }
    return numbers;
}

TEST_F(SavedAreaStoreTest, TwoProcessesSettingDefaultsAtOnceLeaveOneRectangleWholeForEveryReader)
{
    auto a = add("A", CGRectMake(11, 12, 113, 114));
    auto b = add("B", CGRectMake(21, 22, 223, 224));
    const std::vector<std::int64_t> none { -1, -1, -1, -1 }, wholeA { 11, 12, 113, 114 }, wholeB { 21, 22, 223, 224 };
    std::string domainFile = device.host(ZRPrefsManager::devicePathForDomain(MarqelPreferences::domain));
    constexpr int writes = 100;
    std::vector<pid_t> running { startProcess(device.root(), "default:" + a.key + ":" + std::to_string(writes)),
        startProcess(device.root(), "default:" + b.key + ":" + std::to_string(writes)) };
    int reads = 0, torn = 0, failed = 0;
    std::string example;
    // Reads all the time until both have finished.
    while (!running.empty()) {
        auto seen = defaultRectangleIn(domainFile);
        ++reads;
        if (seen != none && seen != wholeA && seen != wholeB) {
            ++torn;
            example = testing::PrintToString(seen);
        }
        std::erase_if(running, [&](pid_t child) {
            int status = 0;
            if (::waitpid(child, &status, WNOHANG) != child)
                return false;
            failed += !(WIFEXITED(status) && WEXITSTATUS(status) == 0);
            return true;
        });
    }
    EXPECT_EQ(failed, 0);
    EXPECT_EQ(torn, 0) << "of " << reads << " reads, for example " << example;
    auto last = defaultRectangleIn(domainFile);
    EXPECT_TRUE(last == wholeA || last == wholeB) << testing::PrintToString(last);
}

// Other readers of property lists see the same records.
class Interchange : public SavedAreaStoreTest {
protected:
    // One line per record from Python's plistlib: key, the types and the
    // values, numbers in hexadecimal so they compare exactly.
    std::string pythonLines(const std::string& path)
    {
        std::string script = device.root() + "/dump.py";
        std::ofstream(script) << "import plistlib, sys\n"
                                 "top = plistlib.load(open(sys.argv[1], 'rb'))\n"
                                 "assert type(top) is dict\n"
                                 "for key, r in top.items():\n"
                                 "    assert list(r) == ['id', 'areaName', 'areaX', 'areaY', 'areaWidth', 'areaHeight'], list(r)\n"
                                 "    assert all(type(r[k]) is float for k in ['areaX', 'areaY', 'areaWidth', 'areaHeight'])\n"
                                 "    print('\\t'.join([key, r['id'], r['areaName']] + [r[k].hex() for k in ['areaX', 'areaY', 'areaWidth', 'areaHeight']]))\n";
        return run("PYTHONIOENCODING=utf-8 python3 '" + script + "' '" + path + "'");
    }
    std::string run(const std::string& command)
    {
        std::string out;
        FILE* pipe = popen((command + " 2>&1").c_str(), "r");
        if (!pipe)
            return "could not run " + command;
        char buffer[512];
        while (std::fgets(buffer, sizeof buffer, pipe))
            out += buffer;
        int status = pclose(pipe);
        EXPECT_EQ(status, 0) << command << ":\n"
                             << out;
        return out;
    }
    std::string ourLines()
    {
        std::string out;
        char number[64];
        for (const auto& area : listed()) {
            out += area.key + "\t" + area.identifier + "\t" + area.name;
            for (double v : { area.x, area.y, area.width, area.height }) {
                std::snprintf(number, sizeof number, "%a", v);
                out += std::string("\t") + number;
            }
            out += "\n";
        }
        return out;
    }
    // Python's hexadecimal floats and C's differ in padding; compare values.
    void expectSameRecords(const std::string& theirs, const std::string& ours)
    {
        std::istringstream a(theirs), b(ours);
        std::string lineA, lineB;
        int lines = 0;
        while (std::getline(b, lineB)) {
            ASSERT_TRUE(std::getline(a, lineA)) << "missing record: " << lineB;
            std::vector<std::string> fa, fb;
            std::string field;
            for (std::istringstream s(lineA); std::getline(s, field, '\t');)
                fa.push_back(field);
            for (std::istringstream s(lineB); std::getline(s, field, '\t');)
                fb.push_back(field);
            ASSERT_EQ(fa.size(), 7u) << lineA;
            ASSERT_EQ(fb.size(), 7u) << lineB;
            for (int i = 0; i < 3; ++i)
                EXPECT_EQ(fa[i], fb[i]);
            for (int i = 3; i < 7; ++i)
                EXPECT_EQ(std::strtod(fa[i].c_str(), nullptr), std::strtod(fb[i].c_str(), nullptr)) << fa[i] << " vs " << fb[i];
            ++lines;
        }
        EXPECT_FALSE(std::getline(a, lineA)) << "extra record: " << lineA;
        EXPECT_EQ(lines, 3);
    }
    void addThree()
    {
        add("Home", CGRectMake(1234.5678, 5678.25, 250, 250));
        add("Caf\xC3\xA9 <&> \"quoted\"", CGRectMake(-20.125, 0.1, 389.9, 843.7));
        add("   ", CGRectMake(0, 0, 150, 150));
    }
};

TEST_F(Interchange, PythonsPlistlibReadsTheSameRecords)
{
    addThree();
    expectSameRecords(pythonLines(file()), ourLines());
}

TEST_F(Interchange, LibplistsPlistutilReadsTheSameRecords)
{
    addThree();
    std::string binary = device.root() + "/areas.bin";
    run("plistutil -i '" + file() + "' -o '" + binary + "' -f bin");
    ASSERT_TRUE(fs::exists(binary));
    auto converted = plist::readFile(binary);
    ASSERT_TRUE(converted.ok());
    EXPECT_EQ(converted.value(), plist::readFile(file()).value());
    expectSameRecords(pythonLines(binary), ourLines());
}

}  // namespace
