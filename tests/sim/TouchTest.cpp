#include "SimulatorFixture.h"
#include "support/DeviceEvents.h"

#include <cstdio>

namespace {

class TouchTest : public SimulatorTest {
  protected:
    TouchTest() {
        output("install");
        output("defaults write FUNCTION_1 APP-WeChat");
        output("defaults write FUNCTION_2 APP-Facebook");
    }

    // The centre of what `touchable` lists under that name, as "X Y"; fails the test when it is not listed.
    std::string centreOf(const std::string& name) {
        const auto listed = output("touchable");
        std::istringstream lines(listed);
        for (std::string line; std::getline(lines, line);) {
            double x = 0, y = 0, width = 0, height = 0;
            if (!line.starts_with(name + " at ") ||
                std::sscanf(line.c_str() + name.size(), " at %lf %lf %lf %lf:", &x, &y, &width, &height) != 4)
                continue;
            EXPECT_GT(width, 0) << line;
            EXPECT_GT(height, 0) << line;
            std::ostringstream centre;
            centre << x + width / 2 << " " << y + height / 2;
            return centre.str();
        }
        ADD_FAILURE() << name << " is not listed in\n" << listed;
        return "-1 -1";
    }

    // The events that one command leaves, the log cleared before it.
    std::vector<std::string> eventsOf(const std::string& line) {
        EventLog::clear();
        const auto result = run(line);
        EXPECT_EQ(result.status, 0) << line << ": " << result.errors;
        auto events = loggedEvents();
        std::erase_if(events, [](const std::string& event) { return event.starts_with("notify."); });
        return events;
    }
};

TEST_F(TouchTest, AFingerOnAButtonOrAnActionRunsWhatTheTypedCommandRuns) {
    output("open");
    const auto button = centreOf("button 1");
    const auto typedTap = eventsOf("tap 1");
    ASSERT_FALSE(typedTap.empty());
    const auto touchedCancel = eventsOf("touch " + centreOf("action \"Cancel\""));
    EXPECT_EQ(run("alert").out, "nothing presented\n");
    output("tap 1");
    EXPECT_EQ(eventsOf("choose Cancel"), touchedCancel);

    EXPECT_EQ(eventsOf("touch " + button), typedTap);
    const auto ok = centreOf("action \"OK\"");
    EXPECT_EQ(output("touch " + ok), "touched action \"OK\"\nchose \"OK\"\n");
    EXPECT_TRUE(
        has(output("events"), "springboard.openURL url=https://apps.apple.com/app/wechat/id414478124"));
}

TEST_F(TouchTest, ALongPressOpensTheMenuWhoseItemsAreTouchedWhereTheyAreDrawn) {
    output("open");
    const auto button = centreOf("button 2");
    EXPECT_EQ(output("touch " + button + " --hold"), "touched button 2\nheld button 2\n");
    const auto launch = centreOf("action \"Launch\"");
    const auto events = eventsOf("touch " + launch);
    EXPECT_TRUE(std::ranges::any_of(events, [](const std::string& event) {
        return event.starts_with("springboard.") && event.find("com.facebook.Facebook") != std::string::npos;
    })) << ::testing::PrintToString(events);
}

TEST_F(TouchTest, NothingHappensOffTargetsOrWhenTheFingerSlidesOff) {
    output("open");
    const auto button = centreOf("button 1");
    EXPECT_TRUE(eventsOf("touch " + button + " --to 1000 1000").empty());
    EXPECT_EQ(run("alert").out, "nothing presented\n");
    output("tap 1");
    // The dimmed screen around the alert takes the touch but nothing answers it.
    const auto result = run("touch 2 2");
    EXPECT_EQ(result.status, 1);
    EXPECT_EQ(result.errors, "nothing to touch at 2 2\n");
    EXPECT_FALSE(has(run("touchable").out, "button 1")) << "the alert covers the row";
    for (const auto* malformed : {"touch", "touch 1", "touch -1 2", "touch 1 nan", "touch 1 2 --to 3",
                                  "touch 1 2 --hold --hold", "touch 1 2 --sideways", "touchable now"})
        EXPECT_EQ(run(malformed).status, 2) << malformed;
}

TEST_F(TouchTest, TheSettingsPagesRowsSwitchesSlidersAndBackButtonTakeTheFinger) {
    output("settings open");
    EXPECT_TRUE(has(output("touch " + centreOf("row \"Orvane\"")), "page Orvane  < Settings"));
    const auto roundedIcons = centreOf("row \"Rounded Icons\"");
    EXPECT_TRUE(has(output("touch " + roundedIcons), "  Rounded Icons = ON\n"));
    EXPECT_TRUE(has(output("touch " + roundedIcons), "  Rounded Icons = OFF\n"));

    // The track runs between the title's and the value's columns: dragged to either end, the slider takes
    // its lowest and highest values.
    const auto height = centreOf("row \"Height\"");
    const auto y = height.substr(height.find(' ') + 1);
    EXPECT_TRUE(has(output("touch " + height + " --to 319 " + y), "  Height = 100\n"));
    EXPECT_TRUE(has(output("touch " + height + " --to 0 " + y), "  Height = 26\n"));
    EXPECT_TRUE(has(output("defaults read VIEW_HEIGHT"), "VIEW_HEIGHT = 26"));

    EXPECT_TRUE(has(output("touch " + centreOf("button \"\u2039 Settings\"")), "page Settings\n"));
}

} // namespace
