// What the property-list reader does with input that is hostile or merely
// odd: deep nesting, numbers past 64 bits, dictionaries with many keys.

#include "platform/foundation/PropertyList.h"

#include <gtest/gtest.h>

#include <string>

namespace {

const std::string header = "<?xml version=\"1.0\" encoding=\"UTF-8\"?>\n<plist version=\"1.0\">";
const std::string footer = "</plist>";

std::string nestedArrays(int depth)
{
    std::string text = header;
    for (int i = 0; i < depth; ++i)
        text += "<array>";
    for (int i = 0; i < depth; ++i)
        text += "</array>";
    return text + footer;
}

void appendBigEndian(std::string& out, std::uint64_t value, int size)
{
    for (int shift = (size - 1) * 8; shift >= 0; shift -= 8)
        out += static_cast<char>((value >> shift) & 0xFF);
}

// A binary property list of `depth` arrays, each holding the next; with
// `cycle` the innermost holds the outermost instead of being empty.
std::string binaryNestedArrays(std::uint64_t depth, bool cycle = false)
{
    std::string out = "bplist00";
    std::vector<std::uint64_t> offsets;
    for (std::uint64_t i = 0; i < depth; ++i) {
        offsets.push_back(out.size());
        bool last = i + 1 == depth;
        if (last && !cycle) {
            out += static_cast<char>(0xA0);
            continue;
        }
        out += static_cast<char>(0xA1);
        appendBigEndian(out, last ? 0 : i + 1, 4);
    }
    std::uint64_t table = out.size();
    for (auto offset : offsets)
        appendBigEndian(out, offset, 4);
    out += std::string(6, '\0');
    out += static_cast<char>(4);  // offset size
    out += static_cast<char>(4);  // reference size
    appendBigEndian(out, depth, 8);
    appendBigEndian(out, 0, 8);
    appendBigEndian(out, table, 8);
    return out;
}

int depthOf(const PlistValue& value)
{
    int depth = 0;
    for (const PlistValue* v = &value; v->is<PlistArray>() && !v->get<PlistArray>()->empty(); v = &v->get<PlistArray>()->front())
        ++depth;
    return depth;
}

TEST(PropertyListLimits, NestingWithinTheBoundReads)
{
    auto xml = plist::parse(nestedArrays(plist::maxNestingDepth));
    ASSERT_TRUE(xml) << xml.message();
    EXPECT_EQ(depthOf(xml.value()), plist::maxNestingDepth - 1);
    auto binary = plist::parse(binaryNestedArrays(plist::maxNestingDepth));
    ASSERT_TRUE(binary) << binary.message();
    EXPECT_EQ(depthOf(binary.value()), plist::maxNestingDepth - 1);
}

TEST(PropertyListLimits, DeepNestingIsRefusedNotACrash)
{
    for (int depth : { plist::maxNestingDepth + 1, 50000, 250000 }) {
        auto xml = plist::parse(nestedArrays(depth));
        ASSERT_FALSE(xml) << depth;
        EXPECT_EQ(xml.code(), foundation::ErrorCode::UnreadableInput);
        EXPECT_NE(xml.message().find("nested deeper than"), std::string::npos) << xml.message();
    }
    for (std::uint64_t depth : { std::uint64_t(plist::maxNestingDepth + 1), std::uint64_t(400000) }) {
        auto binary = plist::parse(binaryNestedArrays(depth));
        ASSERT_FALSE(binary) << depth;
        EXPECT_NE(binary.message().find("nested deeper than"), std::string::npos) << binary.message();
    }
    EXPECT_FALSE(plist::parse(binaryNestedArrays(3, true))) << "an array holding itself";
    // Dictionaries count as well as arrays.
    std::string dicts = header;
    for (int i = 0; i < 50000; ++i)
        dicts += "<dict><key>k</key>";
    EXPECT_FALSE(plist::parse(dicts));
}

TEST(PropertyListLimits, InputPastTheSizeLimitIsRefusedAtOnce)
{
    std::string text = header + "<dict>";
    for (int i = 0; text.size() <= plist::maxInputBytes; ++i)
        text += "<key>k" + std::to_string(i) + "</key><integer>1</integer>";
    text += "</dict>" + footer;
    auto value = plist::parse(text);
    ASSERT_FALSE(value);
    EXPECT_EQ(value.code(), foundation::ErrorCode::UnreadableInput);
    EXPECT_NE(value.message().find("MB a property list may be"), std::string::npos) << value.message();
}

TEST(PropertyListLimits, EmptyContainersAndCommentsDoNotCountAsNesting)
{
    std::string text = header + "<array>";
    for (int i = 0; i < 2000; ++i)
        text += "<array/><dict/><!-- <array> --><string>&lt;array&gt;</string>";
    text += "</array>" + footer;
    auto value = plist::parse(text);
    ASSERT_TRUE(value) << value.message();
    EXPECT_EQ(value.value().get<PlistArray>()->size(), 6000u);
}

TEST(PropertyListLimits, IntegersPastSixtyFourBitsAreNotIntegers)
{
    auto value = plist::parse(header
        + "<dict><key>huge</key><integer>99999999999999999999999</integer>"
          "<key>negative</key><integer>-99999999999999999999999</integer>"
          "<key>justOver</key><integer>9223372036854775808</integer>"
          "<key>largest</key><integer>9223372036854775807</integer>"
          "<key>smallest</key><integer>-9223372036854775808</integer>"
          "<key>spaced</key><integer> 12 </integer></dict>"
        + footer);
    ASSERT_TRUE(value) << value.message();
    const PlistDict& dict = *value.value().get<PlistDict>();
    EXPECT_FALSE(dict.find("huge")->is<std::int64_t>());
    EXPECT_EQ(*dict.find("huge")->get<double>(), 1e23);
    EXPECT_FALSE(dict.find("negative")->is<std::int64_t>());
    EXPECT_FALSE(dict.find("justOver")->is<std::int64_t>());
    EXPECT_EQ(*dict.find("largest")->get<std::int64_t>(), INT64_MAX);
    EXPECT_EQ(*dict.find("smallest")->get<std::int64_t>(), INT64_MIN);
    EXPECT_EQ(*dict.find("spaced")->get<std::int64_t>(), 12);
    // What is written back is the number, not a wrapped -1.
    auto again = plist::parse(plist::toXML(value.value()));
    ASSERT_TRUE(again);
    EXPECT_EQ(*again.value().get<PlistDict>()->find("huge")->get<double>(), 1e23);
}

TEST(PropertyListLimits, DictionariesKeepOrderThroughSetAndRemove)
{
    PlistDict dict;
    for (int i = 0; i < 5; ++i)
        dict.set("k" + std::to_string(i), PlistValue(i));
    dict.set("k2", PlistValue(20));
    EXPECT_TRUE(dict.remove("k1"));
    EXPECT_FALSE(dict.remove("k1"));
    dict.set("k1", PlistValue(10));
    std::vector<std::string> keys;
    for (const auto& [key, value] : dict)
        keys.push_back(key);
    EXPECT_EQ(keys, (std::vector<std::string> { "k0", "k2", "k3", "k4", "k1" }));
    EXPECT_EQ(*dict.find("k2")->get<std::int64_t>(), 20);
    EXPECT_EQ(*dict.find("k4")->get<std::int64_t>(), 4);
    EXPECT_EQ(*dict.find("k1")->get<std::int64_t>(), 10);
    EXPECT_EQ(dict.size(), 5u);
    PlistDict copy = dict;
    EXPECT_EQ(copy, dict);
    EXPECT_EQ(*copy.find("k3")->get<std::int64_t>(), 3);
}

}  // namespace

// A binary list whose string holds a NUL (with a byte past ASCII, so
// libplist's copy and its length disagree): libplist's own string getter
// asserts on it, which took the whole process down.
TEST(PropertyListLimits, BinaryStringHoldingANulIsRefusedNotACrash)
{
    const std::string bytes(
        "\x62\x70\x6c\x69\x73\x74\x30\x30\xd4\x01\x03\x05\x07\x02\x04\x06\x08\x5c\x74\x6f\x67\x67\x6c\x65"
        "\x4d\x61\x72\x71\x65\x6c\x09\x5f\x10\x11\x61\x72\x65\x61\x48\x61\x6e\x64\x6c\x65\x72\x43\x6f\x6c"
        "\x6f\x75\x72\x56\x46\x46\x46\x6f\x75\x72\x56\x46\x46\x46\x46\x46\x46\x5c\x61\x72\x65\x61\x44\x00"
        "\x00\x00\xdf\x70\x68\x61\x6e\x64\x6c\x65\x72\x43\x6f\x6c\x6f\x46\x46\x5c\x61\x72\x65\x61\x44\x00"
        "\x00\x00\xdf\x70\x68\x61\x23\x3f\xdc\xcc\x61\x10\x02\x08\x11\x1e\x1f\x00\x00\x00\x33\x3a\x47\x50"
        "\x5c\x00\x00\x00\x00\x00\x00\x01\x01\x00\x00\x00\x00\x00\x00\x00\x09\x00\x00\x00\x00\x00\x00\x00"
        "\x00\x00\x00\x00\x00\x00\x00\x00\x5e",
        153);
    const auto read = plist::parse(bytes);
    ASSERT_FALSE(read);
    EXPECT_EQ(read.error().code, foundation::ErrorCode::UnreadableInput);
    EXPECT_NE(read.error().message.find("NUL"), std::string::npos) << read.error().message;
}

// The same in a dictionary key, which libplist's key getter asserts on.
TEST(PropertyListLimits, BinaryKeyHoldingANulIsRefusedNotACrash)
{
    const std::string bytes(
        "\x62\x70\x6c\x69\x73\x74\x30\x30\xd1\x01\x02\x6a\x6e\x73\xa1\x03\xd5\x04\x06\x08\x0a\x0c\x05\x0d"
        "\x09\x07\x0b\x14\x00\x00\x00\x55\x74\x69\x74\x6c\x65\x5f\x10\x0f\x53\x61\x76\x65\x64\x20\x74\x6f"
        "\x20\x50\x68\x6f\x74\x6f\x7f\x64\x13\xff\x52\x73\x69\xff\xff\xff\xff\xff\xff\x59\x74\x68\x3b\x44"
        "\x4e\x57\x5b\x3d\x64\x68\x7a\x00\x00\x47\x0d\x0a\x5b\x1a\x0a\xad\x91\x9a\x98\xeb\xff\xff\xf6\xff"
        "\xff\xff\xff\xd6\x53\x6f\x66\x66\x08\x08\x0b\x13\x15\x20\x26\x38\x3b\x44\x4e\x57\x5b\x3d\x64\x68"
        "\x00\x00\x00\x00\x00\x00\x01\x01\x00\x00\x00\x00\x00\x00\x00\x0e\x00\x00\x00\x00\x00\x00\x00\x00"
        "\x00\x00\x00\x6f\x74\x69\x63\x65\x73\xa1\x03\xd5\x04\x06\x08\x0a\x0c\x05\x0d\x09\x07\x0b\x14\x00"
        "\x00\x00\x55\x74\x69\x74\x6c\x65\x5f\x10\x0f\x53\x61\x76\x65\x64\x20\x74\x6f\x20\x50\x68\x6f\x74"
        "\x6f\x7f\x64\x13\xff\x52\x73\x69\xff\xff\xff\xff\xff\xff\x59\x74\x68\x3b\x44\x4e\x57\x5b\x3d\x64"
        "\x68\x7a\x00\x00\x47\x0d\x0a\x5b\x1a\x0a\xad\x91\x9a\x98\xeb\xff\xff\xf6\xff\xff\xff\xff\xd6\x53"
        "\x6f\x66\x66\x08\x08\x0b\x13\x15\x20\x26\x38\x3b\x44\x4e\x57\x5b\x3d\x64\x68\x00\x00\x00\x00\x00"
        "\x00\x01\x01\x00\x00\x00\x00\x00\x00\x00\x0e\x00\x00\x00\x00\x00\x00\x00\x00\x00\x00\x00\x00\x00"
        "\x00\x00\x69",
        291);
    const auto read = plist::parse(bytes);
    ASSERT_FALSE(read);
    EXPECT_EQ(read.error().code, foundation::ErrorCode::UnreadableInput);
    EXPECT_NE(read.error().message.find("NUL"), std::string::npos) << read.error().message;
}

// A date past what libplist holds (32-bit seconds from 2001) is written as
// the nearest it can hold instead of being converted out of range.
TEST(PropertyListLimits, DatesPastThirtyTwoBitSecondsAreWrittenAtTheLimit)
{
    const double from2001 = 978307200;
    PlistArray dates { PlistDate { from2001 - 3e9 }, PlistDate { from2001 + 3e9 }, PlistDate { from2001 + 1 } };
    const auto read = plist::parse(plist::toXML(PlistValue(dates)));
    ASSERT_TRUE(read) << read.error().message;
    const auto& back = *read.value().get<PlistArray>();
    ASSERT_EQ(back.size(), 3u);
    EXPECT_DOUBLE_EQ(back[0].get<PlistDate>()->secondsSince1970, from2001 + INT32_MIN);
    EXPECT_DOUBLE_EQ(back[1].get<PlistDate>()->secondsSince1970, from2001 + INT32_MAX);
    EXPECT_DOUBLE_EQ(back[2].get<PlistDate>()->secondsSince1970, from2001 + 1);
}

// Closing tags where the parser never sees them (a processing instruction,
// an attribute value, a comment, a CDATA section, a DOCTYPE's internal
// subset) do not offset the nesting after them: the depth is judged as the
// parser reads the text. The first is the 3.96 MB file that took the
// process down.
TEST(PropertyListLimits, ClosingTagsHiddenFromTheParserDoNotHideDepth)
{
    auto repeated = [](const std::string& text, int times) {
        std::string out;
        for (int i = 0; i < times; ++i)
            out += text;
        return out;
    };
    const int n = 180000;
    const std::string deep = repeated("<array>", n) + repeated("</array>", n);
    const std::string hidden = repeated("</dict>", n);
    const std::string exact = "<?x " + hidden + "?><plist>" + deep + "</plist>";
    ASSERT_LT(exact.size(), plist::maxInputBytes);
    ASSERT_GT(exact.size(), 3900000u);
    for (const std::string& text : {
             exact,
             "<plist version=\"" + hidden + "\">" + deep + "</plist>",
             "<!-- " + hidden + " --><plist>" + deep + "</plist>",
             "<!DOCTYPE plist [ " + hidden + " ]><plist>" + deep + "</plist>",
             "<plist><array><string><![CDATA[" + repeated("</array>", n) + "]]></string>" + deep + "</array></plist>",
             "<plist><array><string>a<!--" + repeated("</array>", n) + "-->b</string>" + deep + "</array></plist>",
         }) {
        auto value = plist::parse(text);
        ASSERT_FALSE(value) << text.substr(0, 40);
        EXPECT_EQ(value.code(), foundation::ErrorCode::UnreadableInput);
        EXPECT_NE(value.message().find("nested deeper than"), std::string::npos) << value.message();
    }
}

// The same constructs in an ordinary file read as before: what they hide is
// no part of the values, and CDATA and entities keep their text.
TEST(PropertyListLimits, DeclarationsCommentsCDATAAndAttributesStillRead)
{
    auto value = plist::parse(R"(<?xml version="1.0" encoding="UTF-8"?>
<!DOCTYPE plist PUBLIC "-//Apple//DTD PLIST 1.0//EN" "http://www.apple.com/DTDs/PropertyList-1.0.dtd" [ <!ENTITY x "</dict>"> ]>
<?editor note="</array>"?>
<!-- <dict> left open on purpose -->
<plist version="1.0" note="a > b </dict>">
<dict>
  <key>cdata</key><string><![CDATA[<array> & </dict>]]></string>
  <key>mixed</key><string>a &lt;b&gt; <!-- </dict> -->c<![CDATA[&amp;]]></string>
  <key>number</key><integer> 42 </integer>
  <key>huge</key><integer>99999999999999999999</integer>
  <key>list</key><array><true/><false></false><string/><dict/><array /></array>
  <key>nested</key><dict><key>k</key><real>1.5</real></dict>
</dict>
</plist>
)");
    ASSERT_TRUE(value) << value.message();
    const PlistDict& dict = *value.value().get<PlistDict>();
    EXPECT_EQ(*dict.find("cdata")->get<std::string>(), "<array> & </dict>");
    EXPECT_EQ(*dict.find("mixed")->get<std::string>(), "a <b> c&amp;");
    EXPECT_EQ(*dict.find("number")->get<std::int64_t>(), 42);
    EXPECT_TRUE(dict.find("huge")->is<double>());
    const PlistArray& list = *dict.find("list")->get<PlistArray>();
    ASSERT_EQ(list.size(), 5u);
    EXPECT_EQ(list[0], PlistValue(true));
    EXPECT_EQ(list[1], PlistValue(false));
    EXPECT_EQ(list[2], PlistValue(std::string()));
    EXPECT_TRUE(list[3].is<PlistDict>());
    EXPECT_TRUE(list[4].is<PlistArray>());
    EXPECT_EQ(*dict.find("nested")->get<PlistDict>()->find("k")->get<double>(), 1.5);
    // What the platform writes reads back the same.
    auto again = plist::parse(plist::toXML(value.value()));
    ASSERT_TRUE(again) << again.message();
    EXPECT_EQ(again.value(), value.value());
}

// A byte-order mark before the declaration, as some editors save, is no
// part of the document.
TEST(PropertyListLimits, AByteOrderMarkIsSkipped)
{
    auto value = plist::parse("\xEF\xBB\xBF<?xml version=\"1.0\"?><plist><string>x</string></plist>");
    ASSERT_TRUE(value) << value.message();
    EXPECT_EQ(value.value(), PlistValue("x"));
}

// Markup left open is refused, saying what is open, never read past.
TEST(PropertyListLimits, UnclosedMarkupIsRefused)
{
    for (const char* text : { "<?xml version=\"1.0\"", "<!-- <plist>", "<plist><dict><key>k</key><string>open", "<plist version=\"1.0>",
             "<plist><array><string><![CDATA[x</string></array></plist>", "<!DOCTYPE plist [ <plist><array/></plist>" }) {
        auto value = plist::parse(text);
        ASSERT_FALSE(value) << text;
        EXPECT_EQ(value.code(), foundation::ErrorCode::UnreadableInput) << text;
    }
}
