#include "SpecifierCheck.h"
#include "support/ShellOutput.h"

#include <filesystem>
#include <fstream>
#include <gtest/gtest.h>
#include <iterator>
#include <unistd.h>
#include <utility>

namespace {

std::string shipped(const std::string& name) {
    std::ifstream in(std::string(ORVANE_PREFS_SOURCES) + "/" + name + ".plist", std::ios::binary);
    return {std::istreambuf_iterator<char>(in), {}};
}

std::vector<SpecifierProblem> check(std::string_view name, const std::string& text) {
    return checkSpecifierPlist(name,
                               std::span(reinterpret_cast<const std::uint8_t*>(text.data()), text.size()));
}

std::string replaced(std::string text, std::string_view from, std::string_view to) {
    const auto at = text.find(from);
    EXPECT_NE(at, std::string::npos) << from;
    return at == std::string::npos ? text : text.replace(at, from.size(), to);
}

// The line of the item that holds the text.
int itemLine(const std::string& text, std::string_view needle) {
    const auto item = text.rfind("<dict>", text.find(needle));
    return 1 +
           static_cast<int>(std::count(text.begin(), text.begin() + static_cast<std::ptrdiff_t>(item), '\n'));
}

std::string messages(const std::vector<SpecifierProblem>& problems) {
    std::string all;
    for (const auto& problem : problems)
        all += std::to_string(problem.line) + ": " + problem.message + "\n";
    return all;
}

TEST(SpecifierCheck, TheShippedPlistsPass) {
    for (const auto* name : {"OrvanePrefs", "DefaultActions", "Colors"})
        EXPECT_EQ(messages(check(name, shipped(name))), "") << name;
}

TEST(SpecifierCheck, AWrongDefaultIsReportedAtItsItemsLine) {
    const std::string text = replaced(shipped("Colors"), "<real>0.7</real>", "<real>0.75</real>");
    const auto problems = check("Colors", text);
    ASSERT_EQ(problems.size(), 1u) << messages(problems);
    EXPECT_EQ(problems[0].line, itemLine(text, "<string>BUTTON_ALPHA</string>"));
    EXPECT_NE(problems[0].message.find("BUTTON_ALPHA"), std::string::npos) << problems[0].message;
}

TEST(SpecifierCheck, MissingIdsActionsAndControlsAreReported) {
    std::string text = replaced(shipped("OrvanePrefs"), "<string>ABOUT</string>", "<string>INFO</string>");
    text = replaced(text, "<string>resetHeight</string>", "<string>resetAll</string>");
    text = replaced(text, "<string>LANDSCAPE_ENABLED</string>", "<string>LANDSCAPE</string>");
    const auto all = messages(check("OrvanePrefs", text));
    EXPECT_NE(all.find("no group with the id \"ABOUT\""), std::string::npos) << all;
    EXPECT_NE(all.find(std::to_string(itemLine(text, "RESET_HEIGHT")) +
                       ": item 15 with the id RESET_HEIGHT must run "
                       "resetHeight"),
              std::string::npos)
        << all;
    EXPECT_NE(all.find("\"LANDSCAPE\", which is no settings key"), std::string::npos) << all;
    EXPECT_NE(all.find("no control for LANDSCAPE_ENABLED"), std::string::npos) << all;
}

TEST(SpecifierCheck, ListValuesMustBeTheCataloguesIdsAndActionSets) {
    const std::string functions = replaced(
        shipped("OrvanePrefs"), "<string>APP-Calendar</string>\n\t\t\t\t<string>APP-Evernote</string>",
        "<string>APP-Evernote</string>\n\t\t\t\t<string>APP-Calendar</string>");
    EXPECT_NE(messages(check("OrvanePrefs", functions))
                  .find("the catalogue's function ids, in order, for FUNCTION_1"),
              std::string::npos);
    const std::string actions =
        replaced(shipped("DefaultActions"), "<string>Scan</string>", "<string>Post</string>");
    EXPECT_NE(messages(check("DefaultActions", actions)).find("the action set of SYS-Photo"),
              std::string::npos);
    EXPECT_EQ(check("Colors", "garbage").at(0).message, "is not a property list with an \"items\" array");
    EXPECT_EQ(check("Other", shipped("Colors")).at(0).message, "is no specifier plist of the pane");
}

// The build runs the check program on the plists it stages: a wrong one stops it, naming the file and line.
TEST(SpecifierCheck, TheBuildsCheckProgramFailsOnAWrongPlistWithItsLine) {
    const auto folder =
        std::filesystem::temp_directory_path() / ("orvane-check-" + std::to_string(::getpid()));
    std::filesystem::create_directories(folder);
    const auto run = [](const std::vector<std::filesystem::path>& files) {
        std::string command = "ASAN_OPTIONS=detect_leaks=0 " ORVANE_PREFS_CHECK;
        for (const auto& file : files)
            command += " '" + file.string() + "'";
        return shellOutput(command);
    };
    std::vector<std::filesystem::path> shippedFiles;
    for (const auto* name : {"OrvanePrefs", "DefaultActions", "Colors"})
        shippedFiles.emplace_back(std::string(ORVANE_PREFS_SOURCES) + "/" + name + ".plist");
    EXPECT_EQ(run(shippedFiles), std::pair(0, std::string()));

    const std::string text = replaced(shipped("Colors"), "<real>0.7</real>", "<real>0.75</real>");
    const auto wrong = folder / "Colors.plist";
    std::ofstream(wrong, std::ios::binary) << text;
    const auto [status, output] = run({shippedFiles[0], wrong});
    EXPECT_EQ(status, 1);
    EXPECT_EQ(
        output.rfind(wrong.string() + ":" + std::to_string(itemLine(text, "BUTTON_ALPHA")) + ": Colors ", 0),
        0u)
        << output;
    std::filesystem::remove_all(folder);
}

std::vector<SpecifierProblem> checkTable(const std::string& plist, const std::string& table) {
    const auto bytes = [](const std::string& text) {
        return std::span(reinterpret_cast<const std::uint8_t*>(text.data()), text.size());
    };
    return checkSpecifierStrings(bytes(plist), bytes(table));
}

std::string shippedTable(const std::string& language, const std::string& name) {
    std::ifstream in(std::string(ORVANE_PREFS_STAGED) + "/" + language + ".lproj/" + name + ".strings",
                     std::ios::binary);
    return {std::istreambuf_iterator<char>(in), {}};
}

TEST(SpecifierCheck, EveryShippedTableTranslatesEveryTextOfItsPlist) {
    for (const auto* language : {"en", "zh-Hans", "zh-Hant", "ja"})
        for (const auto* name : {"OrvanePrefs", "DefaultActions", "Colors"})
            EXPECT_EQ(messages(checkTable(shipped(name), shippedTable(language, name))), "")
                << language << name;
}

TEST(SpecifierCheck, ATableMissingATitleAFooterOrAChoiceOrLosingAPlaceholderIsReported) {
    const std::string plist =
        "<plist><dict><key>items</key><array><dict><key>cell</key><string>PSGroupCell</string><key>label</"
        "key>"
        "<string>Buttons</string><key>footerText</key><string>Held: %@</string></dict><dict><key>cell</key>"
        "<string>PSLinkListCell</string><key>label</key><string>Icon Style</string><key>validTitles</key>"
        "<array><string>Black</string></array></dict></array></dict></plist>";
    const std::string whole =
        "\"Buttons\" = \"按钮\";\n\"Held: %@\" = \"按住：%@\";\n\"Icon Style\" = \"图标样式\";\n"
        "\"Black\" = \"黑色\";\n\"Extra\" = \"多余\";\n";
    EXPECT_EQ(messages(checkTable(plist, whole)), "") << "a key the code adds is no problem for the plist";
    EXPECT_EQ(messages(checkTable(plist, replaced(whole, "\"Black\" = \"黑色\";", ""))),
              "1: has no text for \"Black\"\n");
    EXPECT_EQ(messages(checkTable(plist, replaced(whole, "\"Held: %@\" = \"按住：%@\";", ""))),
              "1: has no text for \"Held: %@\"\n");
    EXPECT_EQ(messages(checkTable(plist, replaced(whole, "按住：%@", "按住"))),
              "2: changes the placeholders of \"Held: %@\"\n");
    EXPECT_EQ(messages(checkTable(plist, "\"Buttons\" = ")), "1: is not a strings table\n");
}

} // namespace
