#include "common/SavedAreaFormat.h"

#include <gtest/gtest.h>

#include <cmath>
#include <limits>

namespace {

using namespace SavedAreaFormat;

TEST(SavedAreaFormat, TheIdentifierIsWholeMillisecondsTruncatedNotRounded)
{
    EXPECT_EQ(identifierFor(1765170000.0), "1765170000000");
    EXPECT_EQ(identifierFor(1765170000.1239), "1765170000123");
    EXPECT_EQ(identifierFor(1.0009), "1000");
    EXPECT_EQ(identifierFor(0), "0");
    EXPECT_EQ(identifierFor(-1.5), "-1500") << "toward zero, signed";
}

TEST(SavedAreaFormat, AnIdentifierOutOfRangeIsClampedNotWrapped)
{
    EXPECT_EQ(identifierFor(std::nan("")), "0");
    EXPECT_EQ(identifierFor(1e300), "9000000000000000000");
    EXPECT_EQ(identifierFor(-std::numeric_limits<double>::infinity()), "-9000000000000000000");
}

TEST(SavedAreaFormat, NumbersAreNarrowedToTheNearestFloat)
{
    EXPECT_EQ(narrowed(1234.5678), 1234.5677490234375);
    EXPECT_EQ(narrowed(5678.25), 5678.25);
    EXPECT_EQ(narrowed(0.1), static_cast<double>(0.1f));
}

TEST(SavedAreaFormat, ARecordHasItsSixEntriesInOrder)
{
    PlistDict record = makeRecord("1765170000123", "Home", CGRectMake(1234.5678, -20, 250.25, 100));
    std::vector<std::string> keys;
    for (const auto& [key, value] : record)
        keys.push_back(key);
    EXPECT_EQ(keys, (std::vector<std::string> { "id", "areaName", "areaX", "areaY", "areaWidth", "areaHeight" }));
    EXPECT_EQ(*record.find("id")->get<std::string>(), "1765170000123");
    EXPECT_EQ(*record.find("areaName")->get<std::string>(), "Home");
    EXPECT_EQ(*record.find("areaX")->get<double>(), 1234.5677490234375);
    EXPECT_EQ(*record.find("areaY")->get<double>(), -20.0);
    EXPECT_EQ(*record.find("areaWidth")->get<double>(), 250.25);
    EXPECT_EQ(*record.find("areaHeight")->get<double>(), 100.0);
}

TEST(SavedAreaFormat, AWrittenRecordReadsBackAsWritten)
{
    PlistDict record = makeRecord("42", "  ", CGRectMake(12.4, 99.6, 250, 250));
    SavedArea area = readRecord("42", record);
    EXPECT_EQ(area.key, "42");
    EXPECT_EQ(area.identifier, "42");
    EXPECT_EQ(area.name, "  ");
    EXPECT_EQ(area.x, static_cast<double>(12.4f));
    EXPECT_EQ(area.y, static_cast<double>(99.6f));
    EXPECT_EQ(rectangle(area), CGRectMake(static_cast<double>(12.4f), static_cast<double>(99.6f), 250, 250));
}

TEST(SavedAreaFormat, HandEditedNumbersOfAnotherKindOrMissingReadAsZero)
{
    PlistDict record;
    record.set("areaName", "Edited");
    record.set("areaX", std::int64_t(40));
    record.set("areaY", "12");
    record.set("areaWidth", 300.75);
    SavedArea area = readRecord("k", record);
    EXPECT_EQ(area.identifier, "") << "no id field";
    EXPECT_EQ(area.key, "k");
    EXPECT_EQ(area.x, 40) << "a whole number is still a number";
    EXPECT_EQ(area.y, 0) << "text is not a number";
    EXPECT_EQ(area.width, 300.75);
    EXPECT_EQ(area.height, 0) << "missing";
}

TEST(SavedAreaFormat, AValueThatIsNoRecordListsEmpty)
{
    SavedArea area = readRecord("odd", PlistValue("just text"));
    EXPECT_EQ(area, (SavedArea { "odd", "", "", 0, 0, 0, 0 }));
    PlistDict badName;
    badName.set("areaName", std::int64_t(7));
    EXPECT_EQ(readRecord("n", badName).name, "");
}

TEST(SavedAreaFormat, TheListFollowsTheDictionarysOrder)
{
    PlistDict dictionary;
    dictionary.set("3", makeRecord("3", "c", CGRectZero));
    dictionary.set("1", makeRecord("1", "a", CGRectZero));
    dictionary.set("2", PlistValue(true));
    auto list = listRecords(dictionary);
    ASSERT_EQ(list.size(), 3u);
    EXPECT_EQ(list[0].name, "c");
    EXPECT_EQ(list[1].name, "a");
    EXPECT_EQ(list[2].key, "2");
}

TEST(SavedAreaFormat, TheFrameTextRoundsToWholePoints)
{
    SavedArea area { "k", "k", "n", narrowed(12.4), narrowed(99.6), 250, 250 };
    EXPECT_EQ(frameText(area), "X:12, Y:100, W:250, H:250");
    area.x = -3.7;
    EXPECT_EQ(frameText(area), "X:-4, Y:100, W:250, H:250");
}

TEST(SavedAreaFormat, TheIconLetterIsTheLowerCasedFirstCharacter)
{
    EXPECT_EQ(iconLetter("Home"), "h");
    EXPECT_EQ(iconLetter("work"), "w");
    EXPECT_EQ(iconLetter("Work"), iconLetter("work"));
    EXPECT_EQ(iconLetter("7 up"), "7");
    EXPECT_EQ(iconLetter(" spaced"), " ");
    EXPECT_EQ(iconLetter(""), "") << "an empty name has no letter";
    EXPECT_EQ(iconLetter("\xC3\xA9t\xC3\xA9"), "\xC3\xA9") << "one unit of the basic plane";
    EXPECT_EQ(iconLetter("\xC3\x89lan"), "\xC3\xA9") << "Unicode lower case, not only ASCII";
    EXPECT_EQ(iconLetter("\xE2\x84\xAA elvin"), "k") << "KELVIN SIGN lower-cases to k";
    EXPECT_EQ(iconLetter("\xCE\xA3igma"), "\xCF\x83") << "capital sigma alone is the ordinary small sigma";
    EXPECT_EQ(iconLetter("\xF0\x9F\x8E\xA5 movie"), "") << "half a surrogate pair names no symbol";
    EXPECT_EQ(iconLetter("\xE2\x82"), "") << "a cut-off sequence";
}

// Names that XML property-list readers (plistlib, xmllint, libplist) take
// back, and those after which they refuse the whole file or would hand a
// terminal a control byte.
TEST(SavedAreaFormat, PlainTextIsStrictUTF8WithoutControlsOrNoncharacters)
{
    for (const char* kept : { "Home", "   ", "Caf\xC3\xA9 \xE2\x9C\x82 \xF0\x9F\x8E\xAC", "\xC2\xA0no-break", "\xED\x9F\xBF",
             "\xEE\x80\x80", "\xEF\xBF\xBD", "\xF4\x8F\xBF\xBF", "<&> \"quoted\" back\\slash" })
        EXPECT_TRUE(isPlainText(kept)) << listedText(kept);
    struct Refused {
        const char* bytes;
        const char* why;
    };
    for (auto [bytes, why] : { Refused { "Ho\x01me\x0b", "C0 controls" }, Refused { "tab\tname", "a tab" },
             Refused { "\x7f", "DEL" }, Refused { "\xC2\x85", "a C1 control (NEL)" },
             Refused { "\xED\xA0\x80", "a surrogate" }, Refused { "\xED\xBF\xBF", "the last surrogate" },
             Refused { "\xC0\x80", "an overlong NUL" }, Refused { "\xC1\xBF", "an overlong ASCII letter" },
             Refused { "\xE0\x80\xAF", "an overlong slash" }, Refused { "\xF0\x82\x82\xAC", "an overlong euro sign" },
             Refused { "\xF4\x90\x80\x80", "above U+10FFFF" }, Refused { "\xF5\x80\x80\x80", "a lead byte beyond Unicode" },
             Refused { "\xEF\xBF\xBE", "U+FFFE" }, Refused { "\xEF\xBF\xBF", "U+FFFF" }, Refused { "\x80", "a stray continuation" },
             Refused { "cut \xE2\x82", "a cut-off sequence" }, Refused { "\xE2\x28\xA1", "a missing continuation" } })
        EXPECT_FALSE(isPlainText(bytes)) << why;
}

TEST(SavedAreaFormat, AListedTextShowsWhatIsNotPlainEscapedByteByByte)
{
    EXPECT_EQ(listedText("Home"), "Home");
    EXPECT_EQ(listedText("Caf\xC3\xA9 \xF0\x9F\x8E\xAC"), "Caf\xC3\xA9 \xF0\x9F\x8E\xAC") << "plain text as it stands";
    EXPECT_EQ(listedText("Ho\x01me\x0b"), "Ho\\x01me\\x0b");
    EXPECT_EQ(listedText("a\tb\nc"), "a\\x09b\\x0ac") << "no column or line break survives";
    EXPECT_EQ(listedText("\xED\xA0\x80!"), "\\xed\\xa0\\x80!");
    EXPECT_EQ(listedText("\xC2\x9B"
                         "31m"),
        "\\xc2\\x9b"
        "31m")
        << "a C1 escape never reaches the terminal";
    EXPECT_EQ(listedText("cut \xE2\x82"), "cut \\xe2\\x82");
    // The escape itself stays unambiguous: a typed backslash is doubled.
    EXPECT_EQ(listedText("\\x01"), "\\\\x01");
    EXPECT_NE(listedText("\\x01"), listedText("\x01"));
}

}  // namespace
