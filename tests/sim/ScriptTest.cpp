#include "sim/Script.h"

#include "sim/Limits.h"

#include <gtest/gtest.h>
#include <sstream>

namespace {

using Words = std::vector<std::string>;

std::optional<Words> split(std::string_view line) {
    std::string error;
    return splitCommandLine(line, error);
}

TEST(CommandLine, WordsQuotesAndComments) {
    EXPECT_EQ(split("open --width 300"), (Words{"open", "--width", "300"}));
    EXPECT_EQ(split("  \tclose\r"), (Words{"close"}));
    EXPECT_EQ(split("defaults write KEY -string \"two words\" # why"),
              (Words{"defaults", "write", "KEY", "-string", "two words"}));
    EXPECT_EQ(split("defaults write KEY -string \"\""), (Words{"defaults", "write", "KEY", "-string", ""}));
    EXPECT_EQ(split("# only a comment"), Words{});
    EXPECT_EQ(split(""), Words{});
    EXPECT_EQ(split("screenshot a#b.png"), (Words{"screenshot", "a#b.png"}))
        << "# inside a word is no comment";
    EXPECT_EQ(split("write \"# kept\""), (Words{"write", "# kept"}));
}

TEST(CommandLine, AnUnclosedQuoteIsAnError) {
    for (const auto* line : {"defaults write KEY \"open", "tap 'one", "say \"a\\\"", "tap 1\\"}) {
        std::string error;
        EXPECT_EQ(splitCommandLine(line, error), std::nullopt) << line;
        EXPECT_FALSE(error.empty()) << line;
    }
}

// As a shell splits words: quotes and escapes join into one word, single quotes keep everything as it is,
// double quotes take a backslash only before what they would otherwise end or change.
TEST(CommandLine, QuotesAndEscapesSplitAsAShellSplits) {
    EXPECT_EQ(split("settings tap Button\\ 3"), (Words{"settings", "tap", "Button 3"}));
    EXPECT_EQ(split("settings tap 'Button 3'"), (Words{"settings", "tap", "Button 3"}));
    EXPECT_EQ(split("write 'a \"b\" \\n #c'"), (Words{"write", "a \"b\" \\n #c"}));
    EXPECT_EQ(split("write \"say \\\"hi\\\" \\\\ \\$HOME \\n\""),
              (Words{"write", "say \"hi\" \\ $HOME \\n"}));
    EXPECT_EQ(split("screenshot pic\"ture one\"s.png"), (Words{"screenshot", "picture ones.png"}))
        << "what touches joins";
    EXPECT_EQ(split("write '' \"\""), (Words{"write", "", ""}));
    EXPECT_EQ(split("write \\#not-a-comment # a comment"), (Words{"write", "#not-a-comment"}));
    EXPECT_EQ(split("write a\\\\b"), (Words{"write", "a\\b"}));
}

// Records each command; "fail N" answers N and says so on the error stream.
struct Recorder {
    std::vector<Words> ran;
    CommandRunner runner() {
        return [this](std::span<const std::string> words, std::ostream& out, std::ostream& errors) {
            ran.emplace_back(words.begin(), words.end());
            out << "ran " << words.front() << "\n";
            if (words.front() != "fail")
                return 0;
            errors << "it failed\n";
            return std::stoi(words[1]);
        };
    }
};

TEST(Script, RunsEveryCommandLineAndSkipsBlankAndCommentLines) {
    Recorder recorder;
    std::istringstream lines("install\n\n# open it\nopen --width 280\n   \nclose");
    std::ostringstream out, errors;
    EXPECT_EQ(runScript(recorder.runner(), lines, "demo.txt", out, errors), 0);
    EXPECT_EQ(recorder.ran, (std::vector<Words>{{"install"}, {"open", "--width", "280"}, {"close"}}));
    EXPECT_EQ(out.str(), "ran install\nran open\nran close\n");
    EXPECT_EQ(errors.str(), "");
}

TEST(Script, StopsAtTheFirstFailingLineAndNamesIt) {
    Recorder recorder;
    std::istringstream lines("open\n# comment\nfail 3\nclose\n");
    std::ostringstream out, errors;
    EXPECT_EQ(runScript(recorder.runner(), lines, "demo.txt", out, errors), 3);
    EXPECT_EQ(recorder.ran.size(), 2u) << "close never ran";
    EXPECT_EQ(
        errors.str(),
        "demo.txt:3: fail 3\nit failed\ndemo.txt: stopped at line 3 (status 3): nothing after it runs\n");
}

TEST(Script, AMalformedLineStopsTheScriptWithStatus2) {
    Recorder recorder;
    std::istringstream lines("open\nwrite \"unclosed\nclose\n");
    std::ostringstream out, errors;
    EXPECT_EQ(runScript(recorder.runner(), lines, "s", out, errors), 2);
    EXPECT_EQ(recorder.ran.size(), 1u);
    EXPECT_EQ(errors.str().rfind("s:2: ", 0), 0u) << errors.str();
}

TEST(Prompt, GoesOnAfterAFailureUntilTheInputEnds) {
    Recorder recorder;
    std::istringstream lines("fail 1\nopen\n");
    std::ostringstream out, errors;
    EXPECT_EQ(runPrompt(recorder.runner(), lines, out, errors), 0);
    EXPECT_EQ(recorder.ran.size(), 2u);
    EXPECT_EQ(out.str(), "orvane> ran fail\norvane> ran open\norvane> \n");
    EXPECT_EQ(errors.str(), "it failed\n");
}

TEST(Script, ALineLongerThanTheBoundEndsTheScriptUnrun) {
    Recorder recorder;
    std::istringstream lines("open\n" + std::string(longestCommandLine + 1, 'x') + "\nclose\n");
    std::ostringstream out, errors;
    EXPECT_EQ(runScript(recorder.runner(), lines, "s", out, errors), 2);
    EXPECT_EQ(recorder.ran, (std::vector<Words>{{"open"}}));
    EXPECT_EQ(errors.str(), "s:2: the line is longer than 65536 bytes\n");

    std::istringstream exact("open " + std::string(longestCommandLine - 5, 'x'));
    EXPECT_EQ(runScript(recorder.runner(), exact, "s", out, errors), 0) << "a line at the bound runs";
}

TEST(Prompt, SkipsALineThatIsTooLongAndGoesOn) {
    Recorder recorder;
    std::istringstream lines(std::string(3 * longestCommandLine, 'x') + "\nopen\n");
    std::ostringstream out, errors;
    EXPECT_EQ(runPrompt(recorder.runner(), lines, out, errors), 0);
    EXPECT_EQ(recorder.ran, (std::vector<Words>{{"open"}}));
    EXPECT_EQ(errors.str(), "the line is longer than 65536 bytes\n");
}

TEST(Printable, EscapesControlBytesAndCutsLongText) {
    EXPECT_EQ(printable("a\x1b[2J\tb\x7f caf\xc3\xa9"), "a\\x1b[2J\\x09b\\x7f caf\xc3\xa9");
    const auto cut = printable(std::string(10000, 'w'));
    EXPECT_EQ(cut.size(), 203u);
    EXPECT_TRUE(cut.ends_with("w..."));
}

} // namespace
