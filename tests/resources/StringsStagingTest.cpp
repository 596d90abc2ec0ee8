// The bundles' strings tables written from one table per language: which keys each gets, what it holds of
// them, and the build's program that writes them.

#include "StringsStaging.h"
#include "Foundation/NSStringsFile.h"
#include "prefs/SettingsPane.h"
#include "support/ShellOutput.h"

#include <filesystem>
#include <fstream>
#include <gtest/gtest.h>
#include <iterator>
#include <unistd.h>

namespace {

std::span<const std::uint8_t> bytes(const std::string& text) {
    return {reinterpret_cast<const std::uint8_t*>(text.data()), text.size()};
}

std::string contents(const std::filesystem::path& file) {
    std::ifstream in(file, std::ios::binary);
    return {std::istreambuf_iterator<char>(in), {}};
}

std::string shippedPlist(const std::string& name) {
    return contents(std::string(ORVANE_PREFS_SOURCES) + "/" + name + ".plist");
}

bool holds(const std::vector<std::string>& keys, std::string_view key) {
    return std::ranges::find(keys, key) != keys.end();
}

const std::string languageTable =
    "/* Menus */\n"
    "\"Scan Result\" = \"扫描结果\";\n"
    "\"Open App Store to download \\\"%@\\\"?\" = \"要打开 App Store 下载“%@”吗？\";\n"
    "/* Pane */\n"
    "\"Buttons\" = \"按钮\";\n"
    "\"Two\\nlines \\\\ and \\\"quotes\\\"\" = \"两行\\n\\\\“引号”\";\n";

TEST(StringsStaging, AWrittenTableHoldsTheKeysAskedForInTheLanguageTablesOrderAndReadsBackTheSame) {
    const std::vector<std::string> keys = {"Two\nlines \\ and \"quotes\"", "Buttons",
                                           "Open App Store to download \"%@\"?"};
    const auto written = writtenTable(bytes(languageTable), keys, "From zh-Hans.strings.");
    EXPECT_TRUE(written.problems.empty());
    EXPECT_TRUE(written.text.starts_with("/* From zh-Hans.strings. */\n")) << written.text;
    EXPECT_LT(written.text.find("download"), written.text.find("Buttons")) << "the language table's order";
    EXPECT_LT(written.text.find("Buttons"), written.text.find("Two")) << written.text;
    const auto read = parseStringsFile(bytes(written.text));
    ASSERT_TRUE(read) << written.text;
    EXPECT_EQ(*read, (std::map<std::string, std::string, std::less<>>{
                         {"Buttons", "按钮"},
                         {"Open App Store to download \"%@\"?", "要打开 App Store 下载“%@”吗？"},
                         {"Two\nlines \\ and \"quotes\"", "两行\n\\“引号”"}}))
        << "nothing but the keys asked for, escapes kept";
}

TEST(StringsStaging, AMissingTextALostPlaceholderAndAnUnreadableTableAreProblems) {
    std::string lost = languageTable;
    lost.replace(lost.find("下载“%@”"), std::string("下载“%@”").size(), "下载");
    const auto written =
        writtenTable(bytes(lost), std::vector<std::string>{"Open App Store to download \"%@\"?", "Copy"}, "");
    ASSERT_EQ(written.problems.size(), 2u);
    EXPECT_EQ(written.problems[0].line, 3);
    EXPECT_EQ(written.problems[0].message,
              "changes the placeholders of \"Open App Store to download \"%@\"?\"");
    EXPECT_EQ(written.problems[1].line, 1);
    EXPECT_EQ(written.problems[1].message, "has no text for \"Copy\"");
    EXPECT_EQ(
        writtenTable(bytes("\"Buttons\" = "), std::vector<std::string>{"Buttons"}, "").problems.at(0).message,
        "is not a strings table");
}

TEST(StringsStaging, EachPageGetsItsPlistsTextsAndTheTopPageTheAboutNotice) {
    const auto colors = shippedPlist("Colors");
    EXPECT_EQ(paneTableKeys("Colors", bytes(colors)), specifierTexts(bytes(colors)));
    EXPECT_TRUE(holds(paneTableKeys("Colors", bytes(colors)), "Reset Separator Colour"));
    const auto top = shippedPlist("OrvanePrefs");
    const auto topKeys = paneTableKeys("OrvanePrefs", bytes(top));
    EXPECT_EQ(topKeys.size(), specifierTexts(bytes(top)).size() + 1);
    EXPECT_EQ(topKeys.back(), aboutNoticeKey);
    EXPECT_FALSE(
        holds(paneTableKeys("DefaultActions", bytes(shippedPlist("DefaultActions"))), aboutNoticeKey));
}

TEST(StringsStaging, TheSectionGetsTheCataloguesTextsAndWhatNoPageLooksUp) {
    const std::vector<std::vector<std::string>> pages = {{"Buttons", "Facebook", "New Post"},
                                                         {"Two\nlines \\ and \"quotes\""}};
    const auto keys = sectionTableKeys(bytes(languageTable), pages);
    for (const auto* fromCatalogue : {"Launch Sina Weibo", "Skype for iPad", "Open in App Store", "Facebook",
                                      "New Post", "Take Photo/Video", "Scan Code"})
        EXPECT_TRUE(holds(keys, fromCatalogue)) << fromCatalogue;
    EXPECT_TRUE(holds(keys, "Scan Result"));
    EXPECT_TRUE(holds(keys, "Open App Store to download \"%@\"?"));
    EXPECT_FALSE(holds(keys, "Buttons")) << "a page's text only";
    EXPECT_FALSE(holds(keys, "Two\nlines \\ and \"quotes\""));
    EXPECT_EQ(std::ranges::count(keys, "New Post"), 1) << "each key once";
}

// The build writes the tables with this program: a text a table needs and the language lacks stops it,
// naming the language's table, and leaves no table behind.
TEST(StringsStaging, TheBuildsProgramWritesEveryTableOrNoneAndNamesWhatIsMissing) {
    const auto folder =
        std::filesystem::temp_directory_path() / ("orvane-strings-" + std::to_string(::getpid()));
    std::filesystem::create_directories(folder);
    const auto run = [&](const std::filesystem::path& language) {
        std::string command = "ASAN_OPTIONS=detect_leaks=0 " ORVANE_STRINGS " '" + language.string() + "' '" +
                              (folder / "cc").string() + "' '" + (folder / "pane").string() + "'";
        for (const auto* name : {"OrvanePrefs", "DefaultActions", "Colors"})
            command += " '" + std::string(ORVANE_PREFS_SOURCES) + "/" + name + ".plist'";
        return shellOutput(command);
    };
    const auto shipped = contents(std::string(ORVANE_RESOURCES) + "/strings/ja.strings");
    const auto lacking = folder / "ja.strings";
    const std::string entry = "\"Reset Separator Colour\" = ";
    std::string text = shipped;
    ASSERT_NE(text.find(entry), std::string::npos);
    std::ofstream(lacking, std::ios::binary) << text.replace(text.find(entry), entry.size(), "\"Other\" = ");
    EXPECT_EQ(run(lacking),
              std::pair(1, lacking.string() + ":1: has no text for \"Reset Separator Colour\", which "
                                              "Colors.strings needs\n"));
    EXPECT_FALSE(std::filesystem::exists(folder / "pane")) << "nothing written";
    EXPECT_FALSE(std::filesystem::exists(folder / "cc"));

    std::ofstream(lacking, std::ios::binary | std::ios::trunc) << shipped;
    EXPECT_EQ(run(lacking), std::pair(0, std::string()));
    for (const auto* table : {"cc/Localizable.strings", "pane/OrvanePrefs.strings",
                              "pane/DefaultActions.strings", "pane/Colors.strings"})
        EXPECT_TRUE(parseStringsFile(bytes(contents(folder / table)))) << table;
    std::filesystem::remove_all(folder);
}

} // namespace
