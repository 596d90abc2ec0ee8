#include "Device/EventLogHost.h"
#include "SimulatorFixture.h"
#include "sim/CommandOptions.h"

#include <nlohmann/json.hpp>
#include <unistd.h>

// The answers for programs (--json) say what the text says, and parse.
namespace {

using Json = nlohmann::ordered_json;

class JsonTest : public SimulatorTest {
  protected:
    Json json(const std::string& line) {
        const auto text = output(line);
        EXPECT_TRUE(Json::accept(text)) << line << ": " << text;
        return Json::parse(text, nullptr, false);
    }
    void openWith(std::string_view functionId) {
        output("install");
        output("defaults write FUNCTION_1 " + std::string(functionId));
        output("open");
    }
    static std::vector<std::string> lines(const std::string& text) {
        std::vector<std::string> split;
        std::istringstream in(text);
        for (std::string line; std::getline(in, line);)
            split.push_back(line);
        return split;
    }
};

int countViews(const Json& view) {
    int count = 1;
    for (const auto& subview : view["subviews"])
        count += countViews(subview);
    return count;
}

TEST_F(JsonTest, DescribeGivesControlCenterTheSectionAndEveryViewTheTextShows) {
    const auto closed = json("describe --json");
    EXPECT_EQ(closed["controlCenter"]["open"], false);
    EXPECT_TRUE(closed["section"].is_null()) << "nothing installed yet";
    openWith("APP-WeChat");
    const auto described = json("describe --json");
    EXPECT_EQ(described["controlCenter"], (Json{{"open", true}, {"width", 320}}));
    EXPECT_EQ(described["section"], (Json{{"width", 320}, {"height", 46}, {"hidden", false}}));
    const auto text = lines(output("describe"));
    ASSERT_GT(text.size(), 2u);
    EXPECT_EQ(countViews(described["views"]), static_cast<int>(text.size()) - 1) << "one view a line";
    EXPECT_TRUE(text[1].starts_with(described["views"]["class"].get<std::string>() + " frame "));
    int buttons = 0;
    for (const auto& view : described["views"]["subviews"][0]["subviews"])
        buttons += view["class"] == "UIButton" && view["image"].is_object();
    EXPECT_GT(buttons, 0) << described.dump(2);
    EXPECT_EQ(run("describe --json now").status, 2);
    EXPECT_EQ(run("describe --jsn").status, 2);
}

TEST_F(JsonTest, AlertAndPresentedNameTheAlertItsActionsAndItsAnswer) {
    EXPECT_EQ(output("alert --json"), "null\n");
    EXPECT_EQ(output("presented --json"), "[]\n");
    openWith("APP-WeChat");
    output("tap 1");
    EXPECT_EQ(json("alert --json"),
              (Json{{"class", "UIAlertController"},
                    {"style", "alert"},
                    {"title", nullptr},
                    {"message", "Open App Store to download \"WeChat\"?"},
                    {"actions",
                     {{{"title", "OK"}, {"style", "default"}, {"preferred", true}},
                      {{"title", "Cancel"}, {"style", "cancel"}, {"preferred", false}}}},
                    {"answer", "choose TITLE"}}));
    EXPECT_EQ(json("presented --json"), Json::array({"UIAlertController"}));
    EXPECT_EQ(run("alert --json extra").status, 2);
}

TEST_F(JsonTest, AShareSheetListsItsImageInPixelsAndItsActivities) {
    output("defaults write DEFAULT_ACTION_SYS-Photo Library");
    openWith("SYS-Photo");
    output("tap 1");
    output("picker choose IMG_0001.JPG");
    const auto sheet = json("alert --json");
    EXPECT_EQ(sheet["class"], "UIActivityViewController");
    EXPECT_EQ(sheet["items"], Json::parse(R"([{"type": "image", "width": 800, "height": 600}])"));
    EXPECT_NE(std::ranges::find(sheet["activities"], Json("com.apple.UIKit.activity.Print")),
              sheet["activities"].end())
        << sheet.dump(2);
    EXPECT_EQ(sheet["properties"]["items"], "1");
    EXPECT_EQ(sheet["answer"], "share ACTIVITY|cancel");
}

TEST_F(JsonTest, DefaultsReadGivesEachValueItsTypeAndNothingWhenUnset) {
    EXPECT_EQ(output("defaults read --json"), "{}\n") << "no settings file";
    output("defaults write ICON_SIZE -int 30");
    output("defaults write BACKGROUND_RED -real 0.5");
    output("defaults write CC_DISMISS -bool true");
    output("defaults write FUNCTION_3 DISABLED");
    // The file keeps its own order of keys: compare as unordered objects.
    EXPECT_EQ(nlohmann::json::parse(output("defaults read --json")),
              nlohmann::json::parse(R"({"ICON_SIZE": 30, "BACKGROUND_RED": 0.5, "CC_DISMISS": true,
                                        "FUNCTION_3": "DISABLED"})"));
    EXPECT_EQ(json("defaults read ICON_SIZE --json"), (Json{{"ICON_SIZE", 30}}));
    EXPECT_EQ(json("defaults read --json ICON_SIZE"), (Json{{"ICON_SIZE", 30}}));
    EXPECT_EQ(output("defaults read VIEW_HEIGHT --json"), "{}\n");
    EXPECT_EQ(run("defaults read ICON_SIZE VIEW_HEIGHT --json").status, 2);
}

TEST_F(JsonTest, SettingsShowGivesThePageAsTheTextShowsIt) {
    EXPECT_EQ(run("settings show --json").status, 1) << "the application is not open";
    output("install");
    output("settings open");
    output("settings tap Orvane");
    const auto page = json("settings show --json");
    const auto text = lines(output("settings show"));
    ASSERT_FALSE(text.empty());
    EXPECT_EQ(text[0].rfind(
                  "page " + page["title"].get<std::string>() + "  < " + page["back"].get<std::string>(), 0),
              0u)
        << text[0];
    std::size_t rows = 0, groups = 0, footers = 0;
    for (const auto& group : page["groups"]) {
        rows += group["rows"].size();
        footers += !group["footer"].is_null();
        ++groups;
    }
    EXPECT_EQ(1 + groups + rows + footers, text.size()) << "one line a group, a row and a footer";
    const auto& first = page["groups"][0]["rows"][0];
    EXPECT_EQ(text[2].rfind("  " + first["label"].get<std::string>(), 0), 0u) << text[2];
    EXPECT_EQ(run("settings show --json --json").status, 2);
}

TEST_F(JsonTest, StatusOfADeviceThatLivesForThisProcessNamesIt) {
    const auto result = run("status --json");
    EXPECT_EQ(result.status, 3);
    EXPECT_EQ(Json::parse(result.out), (Json{{"booted", false}, {"livesForPid", ::getpid()}}));
}

TEST_F(JsonTest, EventsAsJsonLinesAndByKindAreTheLogsEvents) {
    openWith("APP-WeChat");
    output("tap 1");
    output("choose Cancel");
    const auto logged = EventLog::events();
    const auto jsonLines = lines(output("events --json"));
    ASSERT_EQ(jsonLines.size(), logged.size());
    for (std::size_t at = 0; at < logged.size(); ++at) {
        ASSERT_TRUE(Json::accept(jsonLines[at])) << jsonLines[at];
        const auto event = Json::parse(jsonLines[at]);
        EXPECT_EQ(event["kind"], logged[at].kind);
        EXPECT_EQ(event["pid"], logged[at].pid);
        EXPECT_EQ(event["fields"].size(), logged[at].fields.size());
        for (const auto& [key, value] : logged[at].fields)
            EXPECT_EQ(event["fields"][key], value) << jsonLines[at];
    }
    std::size_t uikit = 0;
    for (const auto& event : logged)
        uikit += event.kind.starts_with("uikit.");
    ASSERT_GT(uikit, 0u);
    const auto matched = lines(output("events --kind uikit.*"));
    EXPECT_EQ(matched.size(), uikit);
    for (const auto& line : matched)
        EXPECT_EQ(EventLog::parseLine(line)->kind.rfind("uikit.", 0), 0u) << line;
    const auto matchedJson = lines(output("events --json --kind=uikit.*"));
    EXPECT_EQ(matchedJson.size(), uikit);
    EXPECT_EQ(output("events --kind nothing.*"), "");
    for (const auto* misuse : {"events --seconds 1", "events --clear --json", "events --kind", "events now",
                               "events --follow --seconds 0"})
        EXPECT_EQ(run(misuse).status, 2) << misuse;
}

// A line of the log that no writer of events wrote is no event for a program.
TEST_F(JsonTest, AForeignLineInTheLogIsLeftOutOfTheJsonLines) {
    output("defaults write ICON_SIZE -int 30");
    {
        std::ofstream log(root.hostPath("/var/log/orvane-events.log"), std::ios::app);
        log << "not an event line\n";
    }
    EXPECT_TRUE(has(output("events"), "not an event line\n"));
    for (const auto& line : lines(output("events --json")))
        EXPECT_TRUE(Json::accept(line)) << line;
}

TEST(CommandOptions, OptionsParseAsGetoptLongParsesThemAndEachParseStartsAfresh) {
    constexpr CommandOption options[] = {{"kind", true}, {"json"}};
    const std::vector<std::string> words{"a", "--kind", "uikit.*", "--json", "b", "--", "--json"};
    for (int again = 0; again < 2; ++again) {
        const auto parsed = parseCommandOptions(words, options);
        ASSERT_TRUE(parsed);
        EXPECT_EQ(parsed->value("kind"), "uikit.*");
        EXPECT_TRUE(parsed->has("json"));
        EXPECT_EQ(parsed->operands, (std::vector<std::string>{"a", "b", "--json"})) << "-- ends the options";
    }
    const std::vector<std::string> joined{"--kind=mail.*"};
    EXPECT_EQ(parseCommandOptions(joined, options)->value("kind"), "mail.*");
    EXPECT_FALSE(parseCommandOptions(std::vector<std::string>{"--kind"}, options)) << "no value";
    EXPECT_FALSE(parseCommandOptions(std::vector<std::string>{"--jsn"}, options));
    EXPECT_FALSE(parseCommandOptions(std::vector<std::string>{"-j"}, options));
    EXPECT_FALSE(parseCommandOptions(std::vector<std::string>{"--json=yes"}, options));
    EXPECT_FALSE(parseCommandOptions(std::vector<std::string>{"--kind", "a", "--kind=b"}, options))
        << "twice";
    EXPECT_FALSE(parseCommandOptions(std::vector<std::string>{}, options)->has("json"));
}

} // namespace
