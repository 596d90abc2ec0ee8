// XML property lists in the plain form are read by a direct reader, others by libplist. Each case here holds
// that an answer of the direct reader is libplist's reading: libplist parses the XML and writes it as a
// binary list, which the platform reads (binary lists never meet the direct reader).
#include "Foundation/libplist/PlainXmlPropertyList.h"

#include <gtest/gtest.h>
#include <plist/plist.h>

#include <filesystem>
#include <fstream>
#include <iterator>
#include <optional>
#include <random>
#include <string>
#include <vector>

namespace {

using Bytes = std::vector<std::uint8_t>;

std::span<const std::uint8_t> bytesOf(const std::string& text) {
    return std::span(reinterpret_cast<const std::uint8_t*>(text.data()), text.size());
}

std::optional<NSDictionary> libplistReading(const std::string& xml) {
    plist_t root = nullptr;
    plist_from_memory(xml.data(), static_cast<std::uint32_t>(xml.size()), &root);
    if (!root)
        return std::nullopt;
    char* binary = nullptr;
    std::uint32_t length = 0;
    plist_to_bin(root, &binary, &length);
    plist_free(root);
    const Bytes bytes(binary, binary + (binary ? length : 0));
    plist_to_bin_free(binary);
    return bytes.empty() ? std::nullopt : NSDictionary::dictionaryWithPropertyListData(bytes);
}

// The direct reader gives libplist's reading or no answer; `plain` says that it must answer.
void expectLibplistsReading(const std::string& xml, const std::string& name, bool plain = false) {
    const auto read = PlainXmlPropertyList::read(bytesOf(xml));
    EXPECT_TRUE(read || !plain) << name << ":\n" << xml;
    if (!read)
        return;
    const auto expected = libplistReading(xml);
    ASSERT_TRUE(expected) << name << ": libplist refuses what the direct reader took:\n" << xml;
    EXPECT_EQ(*read, *expected) << name << ":\n"
                                << xml << "\nread as\n"
                                << read->xmlPropertyList() << "\nlibplist reads\n"
                                << expected->xmlPropertyList();
}

std::string document(const std::string& body) {
    return "<?xml version=\"1.0\" encoding=\"UTF-8\"?>\n"
           "<!DOCTYPE plist PUBLIC \"-//Apple//DTD PLIST 1.0//EN\" "
           "\"http://www.apple.com/DTDs/PropertyList-1.0.dtd\">\n"
           "<plist version=\"1.0\">\n" +
           body + "\n</plist>\n";
}

std::string dictionaryOf(const std::string& value) {
    return document("<dict>\n\t<key>K</key>\n\t" + value + "\n</dict>");
}

// What the writer produces for each kind of value the plain form holds.
NSMutableDictionary written() {
    NSMutableDictionary nested;
    nested.setObject(CFPropertyList::string(""), "empty");
    nested.setObject(CFPropertyList::array({}), "none");
    NSMutableDictionary dictionary;
    for (const std::int64_t number : {0LL, -5LL, 1LL << 40, -(1LL << 59), 999999999999999999LL})
        dictionary.setObject(CFPropertyList::integer(number), "integer " + std::to_string(number));
    for (const double number : {0.0, 0.1, 52.5, 1e-50, 1e300, -2.5e-7, 1.0 / 3})
        dictionary.setObject(CFPropertyList::real(number), "real " + std::to_string(number));
    dictionary.setObject(CFPropertyList::boolean(true), "yes");
    dictionary.setObject(CFPropertyList::boolean(false), "no");
    dictionary.setObject(CFPropertyList::string("SYS-Mail & <friends> \"quoted\" 'too'\tand\nlines"),
                         "a&b<c>");
    dictionary.setObject(CFPropertyList::array({CFPropertyList::integer(1), CFPropertyList::string("two"),
                                                CFPropertyList::array({CFPropertyList::dictionary(nested)})}),
                         "array");
    dictionary.setObject(CFPropertyList::dictionary(nested), "dictionary");
    dictionary.setObject(CFPropertyList::dictionary(NSDictionary()), "empty dictionary");
    return dictionary;
}

TEST(PlainXmlPropertyList, WhatTheWriterWritesIsReadDirectlyAndWhole) {
    const auto dictionary = written();
    const auto xml = dictionary.xmlPropertyList();
    expectLibplistsReading(xml, "written", true);
    const auto read = NSDictionary::dictionaryWithPropertyListData(bytesOf(xml));
    ASSERT_TRUE(read);
    EXPECT_EQ(*read, dictionary);
}

TEST(PlainXmlPropertyList, TheSettingsSeedsReadAsLibplistReadsThem) {
    int files = 0;
    int plain = 0;
    for (const auto& entry : std::filesystem::directory_iterator(ORVANE_SETTINGS_CORPUS)) {
        if (entry.path().extension() != ".xml")
            continue;
        std::ifstream file(entry.path(), std::ios::binary);
        const std::string xml((std::istreambuf_iterator<char>(file)), std::istreambuf_iterator<char>());
        expectLibplistsReading(xml, entry.path().filename());
        ++files;
        plain += PlainXmlPropertyList::read(bytesOf(xml)).has_value();
    }
    EXPECT_GE(files, 8);
    EXPECT_GE(plain, 4) << "valid layouts and functions, every slot disabled, an empty dictionary";
}

TEST(PlainXmlPropertyList, NumbersInEveryFormReadAsLibplistReadsThem) {
    for (const std::string integer : {"0", "7", "-7", "999999999999999999", "-999999999999999999"})
        expectLibplistsReading(dictionaryOf("<integer>" + integer + "</integer>"), "integer " + integer,
                               true);
    for (const std::string integer :
         {"010", "0x1F", "+5", " 5", "5 ", "-0", "", "12a", "1000000000000000000", "9223372036854775807",
          "9223372036854775808", "-9223372036854775808", "18446744073709551615", "18446744073709551616"})
        expectLibplistsReading(dictionaryOf("<integer>" + integer + "</integer>"), "integer " + integer);
    for (const std::string real : {"0", "1", "-0", "0.5", "-0.5", "52.5", "0.10000000000000001",
                                   "0.33333333333333331", "1.0000000000000001e+300", "1e-50", "1E5", "2.5e+3",
                                   "-2.4999999999999999e-07", "123456789012345678901234567890"})
        expectLibplistsReading(dictionaryOf("<real>" + real + "</real>"), "real " + real, true);
    for (const std::string real : {"1.", ".5", "+1.5", " 1.5", "1.5 ", "nan", "inf", "-inf", "1e400",
                                   "4.9e-324", "1e-400", "0x1p3", "1,5", "", "1e", "1e+", "--1"})
        expectLibplistsReading(dictionaryOf("<real>" + real + "</real>"), "real " + real);
    expectLibplistsReading(dictionaryOf("<integer/>"), "empty integer");
    expectLibplistsReading(dictionaryOf("<real/>"), "empty real");
}

TEST(PlainXmlPropertyList, TextInEveryFormReadsAsLibplistReadsIt) {
    for (const std::string text : {"plain", " spaced ", "a&amp;b", "&lt;&gt;&quot;&apos;", "&amp;amp;",
                                   "tab\there", "line\nfeed", "\"quoted\" 'too'"}) {
        expectLibplistsReading(dictionaryOf("<string>" + text + "</string>"), "string " + text, true);
        expectLibplistsReading(document("<dict><key>" + text + "</key><true/></dict>"), "key " + text, true);
    }
    for (const std::string text :
         {"", "&#65;", "&#x41;", "&nbsp;", "&amp", "a & b", "a > b", "carriage\r\nreturn", "bell\x07",
          "del\x7f", "caf\xc3\xa9", "<![CDATA[x<y]]>", "a<!-- note -->b", "a<b/>c"}) {
        expectLibplistsReading(dictionaryOf("<string>" + text + "</string>"), "string " + text);
        expectLibplistsReading(document("<dict><key>" + text + "</key><true/></dict>"), "key " + text);
    }
    expectLibplistsReading(dictionaryOf("<string/>"), "empty string element", true);
    expectLibplistsReading(dictionaryOf("<string></string>"), "empty string", true);
    expectLibplistsReading(dictionaryOf("<string >x</string>"), "a blank in the tag");
}

TEST(PlainXmlPropertyList, DocumentsInEveryShapeReadAsLibplistReadsThem) {
    const std::string entry = "<dict><key>K</key><true/></dict>";
    const std::vector<std::pair<std::string, std::string>> plain = {
        {"no declaration or type", "<plist version=\"1.0\">" + entry + "</plist>"},
        {"no attributes", "<plist>" + entry + "</plist>"},
        {"windows line ends",
         "<?xml version=\"1.0\"?>\r\n<plist version=\"1.0\">\r\n" + entry + "\r\n</plist>\r\n"},
        {"empty root", document("<dict/>")},
        {"empty nested containers", document("<dict><key>a</key><array/><key>d</key><dict/></dict>")},
        {"an array of everything", document("<dict><key>A</key><array><integer>1</integer><real>2</real>"
                                            "<string>3</string><false/><dict/><array/></array></dict>")},
    };
    for (const auto& [name, xml] : plain)
        expectLibplistsReading(xml, name, true);
    const std::vector<std::pair<std::string, std::string>> others = {
        {"no plist element", entry},
        {"blanks first", "  \n" + document(entry)},
        {"byte-order mark", "\xef\xbb\xbf" + document(entry)},
        {"a comment first", "<!-- hi -->" + document(entry)},
        {"a comment inside", document("<dict><!-- hi --><key>K</key><true/></dict>")},
        {"a second declaration", "<?xml version=\"1.0\"?>" + document(entry)},
        {"an open literal in the type", "<!DOCTYPE plist \">\n<plist>" + entry + "</plist>"},
        {"an internal subset", "<!DOCTYPE plist [<!ENTITY e \"x\">]><plist>" + entry + "</plist>"},
        {"trailing text", document(entry) + "junk"},
        {"a second root", document(entry + entry)},
        {"no end", document(entry).substr(0, document(entry).size() - 10)},
        {"root array", document("<array><true/></array>")},
        {"root string", document("<string>x</string>")},
        {"a duplicate key", document("<dict><key>K</key><true/><key>K</key><false/></dict>")},
        {"a key without a value", document("<dict><key>K</key></dict>")},
        {"a value without a key", document("<dict><true/></dict>")},
        {"two keys in a row", document("<dict><key>A</key><key>B</key><true/></dict>")},
        {"an open boolean", document("<dict><key>K</key><true></true></dict>")},
        {"an unknown element", document("<dict><key>K</key><maybe/></dict>")},
        {"a mismatched end", document("<dict><key>K</key><string>x</key></dict>")},
        {"data and a date", document("<dict><key>D</key><data>AQI=</data><key>T</key>"
                                     "<date>2014-01-01T00:00:00Z</date></dict>")},
    };
    for (const auto& [name, xml] : others)
        expectLibplistsReading(xml, name);
}

TEST(PlainXmlPropertyList, NestingAtAndPastTheLimitReadsAsLibplistReadsIt) {
    for (const int levels : {63, 64, 65, 100}) {
        std::string body;
        for (int level = 0; level < levels; ++level)
            body += "<dict><key>k</key>";
        body += "<true/>";
        for (int level = 0; level < levels; ++level)
            body += "</dict>";
        const auto xml = document("<dict><key>top</key>" + body + "</dict>");
        const auto read = NSDictionary::dictionaryWithPropertyListData(bytesOf(xml));
        EXPECT_EQ(read.has_value(), levels < 64) << levels;
    }
}

TEST(PlainXmlPropertyList, EveryCutAndManyChangesOfAFileReadAsLibplistReadsThem) {
    const auto xml = written().xmlPropertyList();
    for (std::size_t length = 0; length < xml.size(); ++length)
        expectLibplistsReading(xml.substr(0, length), "cut at " + std::to_string(length));

    // ASCII only, so that libplist's own binary round trip is exact for whatever its parse makes of them.
    const std::string characters = "<>/&;\"' \t\n\r0123456789.-+eE#!?[]abcdfgiklnorstuxy";
    std::mt19937 random(20);
    for (int round = 0; round < 3000; ++round) {
        std::string changed = xml;
        for (int edit = 0; edit < 1 + round % 4; ++edit)
            changed[random() % changed.size()] = characters[random() % characters.size()];
        expectLibplistsReading(changed, "changed, round " + std::to_string(round));
        if (HasFatalFailure())
            return;
    }
}

} // namespace
