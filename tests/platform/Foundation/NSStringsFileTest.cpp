#include "Foundation/NSStringsFile.h"
#include "Foundation/NSDictionary.h"
#include "support/TemporaryDevice.h"

#include <gtest/gtest.h>
#include <plist/plist.h>
#include <random>

namespace {

using Table = std::map<std::string, std::string, std::less<>>;

std::optional<Table> parse(std::string_view text) {
    return parseStringsFile(std::span(reinterpret_cast<const std::uint8_t*>(text.data()), text.size()));
}

std::vector<std::uint8_t> utf16(std::u16string_view text, bool bigEndian) {
    std::vector<std::uint8_t> bytes =
        bigEndian ? std::vector<std::uint8_t>{0xFE, 0xFF} : std::vector<std::uint8_t>{0xFF, 0xFE};
    for (const char16_t unit : text) {
        const auto high = static_cast<std::uint8_t>(unit >> 8);
        const auto low = static_cast<std::uint8_t>(unit & 0xFF);
        bytes.insert(bytes.end(),
                     bigEndian ? std::initializer_list{high, low} : std::initializer_list{low, high});
    }
    return bytes;
}

std::vector<std::uint8_t> binaryPlist(const std::string& xml) {
    plist_t root = nullptr;
    plist_from_memory(xml.data(), static_cast<std::uint32_t>(xml.size()), &root);
    char* binary = nullptr;
    std::uint32_t length = 0;
    plist_to_bin(root, &binary, &length);
    std::vector<std::uint8_t> bytes(binary, binary + length);
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
    const auto table = parse("/* Title of the\n   first button */\n"
                             "\"FIRST\" = \"First button\";\n"
                             "// a line comment \"NOT\" = \"read\";\n"
                             "plain_key.v2 = some-value$:/x ;\n"
                             "  \"spaced key\"\t=\r\n\"two words\"/* between */;// trailing");
    ASSERT_TRUE(table);
    EXPECT_EQ(
        *table,
        (Table{{"FIRST", "First button"}, {"plain_key.v2", "some-value$:/x"}, {"spaced key", "two words"}}));
}

TEST(StringsFileSyntax, EscapesBecomeTheCharactersTheyName) {
    const auto table = parse(R"("quote" = "say \"hi\"";
"slash" = "a\\b";
"controls" = "1\n2\t3\r";
"accent" = "caf\U00e9 \U20AC";
"astral" = "\Ud83d\UDE00";
"other" = "it\'s";)");
    ASSERT_TRUE(table);
    EXPECT_EQ(table->at("quote"), "say \"hi\"");
    EXPECT_EQ(table->at("slash"), "a\\b");
    EXPECT_EQ(table->at("controls"), "1\n2\t3\r");
    EXPECT_EQ(table->at("accent"), "caf\xC3\xA9 \xE2\x82\xAC");
    EXPECT_EQ(table->at("astral"), "\xF0\x9F\x98\x80");
    EXPECT_EQ(table->at("other"), "it's");
}

TEST(StringsFileSyntax, ALaterEntryReplacesAnEarlierOneAndAnEmptyFileIsAnEmptyTable) {
    EXPECT_EQ(parse("\"k\" = \"old\"; \"k\" = \"new\";"), (Table{{"k", "new"}}));
    EXPECT_EQ(parse(""), Table{});
    EXPECT_EQ(parse("  /* only */ // comments\n"), Table{});
}

TEST(StringsFileEncodings, AUTF8ByteOrderMarkIsSkipped) {
    EXPECT_EQ(parse("\xEF\xBB\xBF\"k\" = \"v\";"), (Table{{"k", "v"}}));
}

TEST(StringsFileEncodings, UTF16InEitherByteOrderBecomesUTF8) {
    const std::u16string text = u"/* \u00e9 */ \"caf\u00e9\" = \"\U0001F600 \u20ac\";";
    const Table expected{{"caf\xC3\xA9", "\xF0\x9F\x98\x80 \xE2\x82\xAC"}};
    for (const bool bigEndian : {false, true})
        EXPECT_EQ(parseStringsFile(utf16(text, bigEndian)), expected) << "big endian: " << bigEndian;
}

TEST(StringsFileEncodings, UTF16WithABrokenSurrogateOrAnOddLengthIsRefused) {
    const std::u16string prefix = u"\"k\" = \"";
    for (const std::u16string& bad : {prefix + u'\xD83D' + u"\";", prefix + u'\xDE00' + u"\";",
                                      prefix + u'\xD83D' + u'\xD83D' + u"\";", prefix + u'\xD83D'}) {
        for (const bool bigEndian : {false, true})
            EXPECT_FALSE(parseStringsFile(utf16(bad, bigEndian)));
    }
    auto odd = utf16(u"\"k\" = \"v\";", false);
    odd.push_back(' ');
    EXPECT_FALSE(parseStringsFile(odd));
}

TEST(StringsFilePropertyList, AnXmlOrBinaryDictionaryOfStringsIsATable) {
    NSMutableDictionary dictionary;
    dictionary.setObject(CFPropertyList::string("Eins"), "ONE");
    dictionary.setObject(CFPropertyList::string("Zwei & <drei>"), "TWO");
    const Table expected{{"ONE", "Eins"}, {"TWO", "Zwei & <drei>"}};
    const std::string xml = dictionary.xmlPropertyList();
    EXPECT_EQ(parse(xml), expected);
    EXPECT_EQ(parse("\n  " + xml), expected);
    EXPECT_EQ(parseStringsFile(binaryPlist(xml)), expected);
}

TEST(StringsFilePropertyList, AnythingButADictionaryOfStringsIsRefused) {
    EXPECT_FALSE(parse(xmlPlist("<dict><key>n</key><integer>1</integer></dict>")));
    EXPECT_FALSE(parse(xmlPlist("<array><string>a</string></array>")));
    EXPECT_FALSE(parse(xmlPlist("<dict><key>n</key><string>unterminated")));
}

TEST(StringsFileMalformed, EachFaultMakesTheWholeTableNothing) {
    const std::vector<std::pair<const char*, std::string>> cases = {
        {"unterminated string", "\"k\" = \"v"},
        {"unterminated key", "\"k"},
        {"escape at the end", "\"k\" = \"v\\"},
        {"unterminated comment", "\"k\" = \"v\"; /* never closed"},
        {"comment in place of a value", "\"k\" = /* c */ ;"},
        {"missing =", "\"k\" \"v\";"},
        {"missing ;", "\"k\" = \"v\""},
        {"missing ; before the next entry", "\"a\" = \"1\"\n\"b\" = \"2\";"},
        {"missing value", "\"k\" = ;"},
        {"key only", "\"k\";"},
        {"stray character", "\"k\" = \"v\"; #"},
        {"stray character in unquoted text", "key = va!lue;"},
        {"short unicode escape", "\"k\" = \"\\U12\";"},
        {"non-hex unicode escape", "\"k\" = \"\\U12g4\";"},
        {"lone low surrogate escape", "\"k\" = \"\\UDE00\";"},
        {"high surrogate escape alone", "\"k\" = \"\\UD83D\";"},
        {"high surrogate escape then a letter", "\"k\" = \"\\UD83Dx\";"},
        {"two high surrogate escapes", "\"k\" = \"\\UD83D\\UD83D\";"},
    };
    for (const auto& [name, text] : cases)
        EXPECT_FALSE(parse(text)) << name;
}

TEST(StringsFileMalformed, AFileBeyondTheSizeLimitIsRefusedAndOneAtTheLimitIsRead) {
    const std::string entry = "\"k\" = \"v\";";
    std::string file = entry + std::string(maximumStringsFileSize - entry.size(), ' ');
    EXPECT_EQ(parse(file), (Table{{"k", "v"}}));
    file += ' ';
    EXPECT_FALSE(parse(file));
}

class StringsFileRobustness : public ::testing::Test {
  protected:
    // A parsed table survives being written back and read again unchanged.
    static void expectRoundTrip(const Table& table) { EXPECT_EQ(parse(quotedFile(table)), table); }
};

TEST_F(StringsFileRobustness, EveryTruncationOfAValidFileIsNothingOrAPartOfIt) {
    const std::string text =
        "/* head */ \"A\" = \"x\\\"y\"; b = c-d;\n// note\n\"C\" = \"\\UD83D\\UDE00 \\n\";";
    const auto full = parse(text);
    ASSERT_TRUE(full);
    ASSERT_EQ(full->size(), 3u);
    const auto asBytes = [](std::string_view view) {
        return std::vector<std::uint8_t>(view.begin(), view.end());
    };
    NSMutableDictionary dictionary;
    for (const auto& [key, value] : *full)
        dictionary.setObject(CFPropertyList::string(value), key);
    const std::vector<std::vector<std::uint8_t>> files = {
        asBytes(text), utf16(u"/* \u00e9 */ \"A\" = \"x\\\"y\"; b = c-d;", false),
        asBytes(dictionary.xmlPropertyList()), binaryPlist(dictionary.xmlPropertyList())};
    for (const auto& file : files) {
        ASSERT_TRUE(parseStringsFile(file));
        for (std::size_t length = 0; length < file.size(); ++length) {
            const auto part = parseStringsFile(std::span(file).first(length));
            if (!part)
                continue;
            for (const auto& [key, value] : *part)
                EXPECT_EQ(full->at(key), value) << "truncated to " << length;
        }
    }
}

TEST_F(StringsFileRobustness, RandomInputNeverCrashesAndWhatParsesRoundTrips) {
    const std::vector<std::string> tokens = {"\"k\"",
                                             "key",
                                             "\"v a\"",
                                             " = ",
                                             "=",
                                             ";",
                                             " ",
                                             "\n",
                                             "/* c */",
                                             "// c\n",
                                             "/*",
                                             "*/",
                                             "\"",
                                             "\\",
                                             "\\U00e9",
                                             "\\UD83D",
                                             "\\UDE00",
                                             "\"\\\"\"",
                                             "<",
                                             "\xFF\xFE",
                                             "\xEF\xBB\xBF",
                                             "{",
                                             std::string(1, '\0')};
    std::mt19937 random(2024);
    int parsed = 0;
    int refused = 0;
    for (int round = 0; round < 6000; ++round) {
        std::string text;
        const bool noise = round % 3 == 0;
        const int count = static_cast<int>(random() % (noise ? 200 : 12));
        for (int index = 0; index < count; ++index)
            text += noise || random() % 8 == 0 ? std::string(1, static_cast<char>(random()))
                                               : tokens[random() % tokens.size()];
        const auto table = parse(text);
        table ? ++parsed : ++refused;
        if (table)
            expectRoundTrip(*table);
    }
    EXPECT_GT(parsed, 100) << "the input should reach the success path";
    EXPECT_GT(refused, 100);
}

} // namespace
