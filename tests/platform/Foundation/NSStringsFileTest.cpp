#include "Foundation/NSStringsFile.h"
#include "Foundation/NSDictionary.h"
#include "support/TemporaryDevice.h"

#include <gtest/gtest.h>
#include <plist/plist.h>
#include <random>

namespace {

using Table = std::map<std::string, std::string, std::less<>>;
using Bytes = std::vector<std::uint8_t>;

std::optional<Table> parse(std::string_view text) {
    return parseStringsFile(Bytes(text.begin(), text.end()));
}

Bytes utf16(std::u16string_view text, bool bigEndian) {
    Bytes bytes = bigEndian ? Bytes{0xFE, 0xFF} : Bytes{0xFF, 0xFE};
    for (const char16_t unit : text) {
        const auto high = static_cast<std::uint8_t>(unit >> 8), low = static_cast<std::uint8_t>(unit);
        bytes.insert(bytes.end(), {bigEndian ? high : low, bigEndian ? low : high});
    }
    return bytes;
}

Bytes binaryPlist(const NSDictionary& dictionary) {
    const std::string xml = dictionary.xmlPropertyList();
    plist_t root = nullptr;
    plist_from_memory(xml.data(), static_cast<std::uint32_t>(xml.size()), &root);
    char* binary = nullptr;
    std::uint32_t length = 0;
    plist_to_bin(root, &binary, &length);
    Bytes bytes(binary, binary + length);
    plist_to_bin_free(binary);
    plist_free(root);
    return bytes;
}

// The table written back in the quoted syntax, escaping only what must be escaped.
std::string quotedFile(const Table& table) {
    const auto quote = [](const std::string& text) {
        std::string out = "\"";
        for (const char c : text)
            out += (c == '"' || c == '\\') ? std::string{'\\', c} : std::string{c};
        return out + "\"";
    };
    std::string file;
    for (const auto& [key, value] : table)
        file += quote(key) + " = " + quote(value) + ";\n";
    return file;
}

TEST(StringsFileSyntax, ReadsQuotedAndUnquotedPairsAroundComments) {
    EXPECT_EQ(parse("/* Title of the\n   first button */\n\"FIRST\" = \"First button\";\n"
                    "// a line comment \"NOT\" = \"read\";\n"
                    "plain_key.v2 = some-value$:/x ;\n"
                    "  \"k\"\t=\r\n\"old\"/* between */; \"k\" = \"new\";// trailing"),
              (Table{{"FIRST", "First button"}, {"plain_key.v2", "some-value$:/x"}, {"k", "new"}}));
    EXPECT_EQ(parse("  /* only */ // comments\n"), Table{});
}

TEST(StringsFileSyntax, EscapesBecomeTheCharactersTheyName) {
    EXPECT_EQ(
        parse(R"("a" = "say \"hi\" a\\b"; "b" = "1\n2\t3\r"; "c" = "caf\U00e9 \U20AC \Ud83d\UDE00 it\'s";)"),
        (Table{{"a", "say \"hi\" a\\b"},
               {"b", "1\n2\t3\r"},
               {"c", "caf\xC3\xA9 \xE2\x82\xAC \xF0\x9F\x98\x80 it's"}}));
}

TEST(StringsFileEncodings, ByteOrderMarksSelectUTF8OrUTF16InEitherOrder) {
    EXPECT_EQ(parse("\xEF\xBB\xBF\"k\" = \"v\";"), (Table{{"k", "v"}}));
    const std::u16string text = u"/* \u00e9 */ \"caf\u00e9\" = \"\U0001F600 \u20ac\";";
    for (const bool bigEndian : {false, true})
        EXPECT_EQ(parseStringsFile(utf16(text, bigEndian)),
                  (Table{{"caf\xC3\xA9", "\xF0\x9F\x98\x80 \xE2\x82\xAC"}}));
}

TEST(StringsFileEncodings, UTF16WithABrokenSurrogateOrAnOddLengthIsRefused) {
    const std::u16string start = u"\"k\" = \"";
    for (const std::u16string& bad : {start + u'\xD83D' + u"\";", start + u'\xDE00' + u"\";",
                                      start + u'\xD83D' + u'\xD83D' + u"\";", start + u'\xD83D'}) {
        EXPECT_FALSE(parseStringsFile(utf16(bad, false)));
        EXPECT_FALSE(parseStringsFile(utf16(bad, true)));
    }
    auto odd = utf16(u"\"k\" = \"v\";", false);
    odd.push_back(' ');
    EXPECT_FALSE(parseStringsFile(odd));
}

TEST(StringsFilePropertyList, AnXmlOrBinaryDictionaryOfStringsIsATableAndNothingElseIs) {
    NSMutableDictionary dictionary;
    dictionary.setObject(CFPropertyList::string("Eins"), "ONE");
    dictionary.setObject(CFPropertyList::string("Zwei & <drei>"), "TWO");
    const Table expected{{"ONE", "Eins"}, {"TWO", "Zwei & <drei>"}};
    EXPECT_EQ(parse("\n  " + dictionary.xmlPropertyList()), expected);
    EXPECT_EQ(parseStringsFile(binaryPlist(dictionary)), expected);

    EXPECT_FALSE(parse(xmlPlist("<dict><key>n</key><integer>1</integer></dict>")));
    EXPECT_FALSE(parse(xmlPlist("<array><string>a</string></array>")));
}

TEST(StringsFileMalformed, EachFaultMakesTheWholeTableNothing) {
    const std::vector<std::pair<const char*, std::string>> cases = {
        {"unterminated string", "\"k\" = \"v"},
        {"escape at the end", "\"k\" = \"v\\"},
        {"unterminated comment", "\"k\" = \"v\"; /* never closed"},
        {"missing =", "\"k\" \"v\";"},
        {"missing ;", "\"a\" = \"1\"\n\"b\" = \"2\";"},
        {"missing value", "\"k\" = /* c */ ;"},
        {"stray character", "\"k\" = \"v\"; #"},
        {"stray character in unquoted text", "key = va!lue;"},
        {"short unicode escape", "\"k\" = \"\\U12\";"},
        {"non-hex unicode escape", "\"k\" = \"\\U12g4\";"},
        {"lone low surrogate escape", "\"k\" = \"\\UDE00\";"},
        {"high surrogate escape without its partner", "\"k\" = \"\\UD83Dx\";"},
    };
    for (const auto& [name, text] : cases)
        EXPECT_FALSE(parse(text)) << name;
}

TEST(StringsFileMalformed, AFileBeyondTheSizeLimitIsRefusedAndOneAtTheLimitIsRead) {
    const std::string entry = "\"k\" = \"v\";";
    std::string file = entry + std::string(maximumStringsFileSize - entry.size(), ' ');
    EXPECT_EQ(parse(file), (Table{{"k", "v"}}));
    EXPECT_FALSE(parse(file + ' '));
}

TEST(StringsFileRobustness, EveryTruncationOfAValidFileIsNothingOrAPartOfIt) {
    const std::string text = R"(/* head */ "A" = "x\"y"; b = c-d;
// note
"C" = "\UD83D\UDE00 \n";)";
    const auto full = parse(text);
    ASSERT_TRUE(full);
    ASSERT_EQ(full->size(), 3u);
    NSMutableDictionary dictionary;
    for (const auto& [key, value] : *full)
        dictionary.setObject(CFPropertyList::string(value), key);
    const std::string xml = dictionary.xmlPropertyList();
    for (const Bytes& file : {Bytes(text.begin(), text.end()), utf16(u"\"A\" = \"x\\\"y\"; b = c-d;", true),
                              Bytes(xml.begin(), xml.end()), binaryPlist(dictionary)}) {
        ASSERT_TRUE(parseStringsFile(file));
        for (std::size_t length = 0; length < file.size(); ++length) {
            const auto part = parseStringsFile(std::span(file).first(length));
            for (const auto& [key, value] : part.value_or(Table{}))
                EXPECT_EQ(full->at(key), value) << "truncated to " << length;
        }
    }
}

TEST(StringsFileRobustness, RandomInputNeverCrashesAndWhatParsesReadsTheSameWrittenBack) {
    const std::vector<std::string> tokens = {"\"k\"",   "key",     "\"v a\"", " = ",     ";",  "\n",
                                             "/* c */", "// c\n",  "/*",      "\"",      "\\", "\\U00e9",
                                             "\\UD83D", "\\UDE00", "<",       "\xFF\xFE"};
    std::mt19937 random(2024);
    int parsed = 0;
    for (int round = 0; round < 6000; ++round) {
        // Every third input is plain noise; the others are mostly tokens of the syntax.
        const bool noise = round % 3 == 0;
        std::string text;
        for (auto count = random() % (noise ? 200 : 12); count > 0; --count)
            text += noise || random() % 8 == 0 ? std::string(1, static_cast<char>(random()))
                                               : tokens[random() % tokens.size()];
        if (const auto table = parse(text)) {
            ++parsed;
            EXPECT_EQ(parse(quotedFile(*table)), table);
        }
    }
    EXPECT_GT(parsed, 100) << "the input should reach the success path";
}

} // namespace
