#include "Device/DeviceRoot.h"
#include "SimulatorFixture.h"
#include "support/DeviceEvents.h"

#include <cstdio>
#include <filesystem>
#include <tuple>

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

// The Settings application's title, which the back button of a page over it repeats, the group of the
// packages' entries and the back button's own word read in the device's language, as the pane's pages do.
TEST_F(TouchTest, TheSettingsApplicationsOwnTextsAndBackButtonReadInTheDevicesLanguage) {
    output("language zh-Hans");
    EXPECT_TRUE(has(output("settings open"), "page 设置\ngroup 插件\n  Orvane  (icon 29 x 29)  >\n"));
    EXPECT_TRUE(has(output("touch " + centreOf("row \"Orvane\"")), "page Orvane  < 设置  [捐赠]\n"));
    EXPECT_TRUE(has(output("touch " + centreOf("button \"\u2039 设置\"")), "page 设置\n"));

    // A long page title leaves the back title no room: the button says the language's word for back.
    for (const auto& [languages, defaultActions, weiboPost, back] :
         {std::tuple{"ja", "デフォルトの操作", "Sina Weibo 投稿", "戻る"},
          {"fr,en", "Default Actions", "Sina Weibo Post", "Back"}}) {
        output(std::string("language ") + languages);
        output("settings open");
        output("settings tap Orvane");
        for (const std::string row : {defaultActions, weiboPost}) {
            std::ostringstream out, errors;
            ASSERT_EQ(device->run(std::vector<std::string>{"settings", "tap", row}, out, errors), 0)
                << errors.str();
        }
        EXPECT_TRUE(has(output("touch " + centreOf(std::string("button \"\u2039 ") + back + "\"")),
                        std::string("page ") + defaultActions + "  < Orvane\n"))
            << languages;
    }
    EXPECT_TRUE(has(output("settings open"), "page Settings\ngroup Tweaks\n")) << "fr, en: English";
    EXPECT_TRUE(has(output("settings tap Orvane"), "page Orvane  < Settings  [Donate]\n"));

    std::filesystem::remove_all(DeviceRoot::resolve(SettingsApplication::bundlePath));
    output("language zh-Hans");
    EXPECT_TRUE(has(output("settings open"), "page Settings\ngroup Tweaks\n"))
        << "without its bundle, the application's texts are its English keys";
    EXPECT_TRUE(has(output("settings tap Orvane"), "page Orvane  < Settings  [捐赠]\n")) << "the pane's own";
}

TEST_F(TouchTest, OnTheScannerTheBarsCancelTakesTheFingerAndCoversTheCameraSwitch) {
    output("defaults write FUNCTION_3 SYS-Photo");
    output("defaults write DEFAULT_ACTION_SYS-Photo Scan");
    output("open");
    output("tap 3");
    const auto listed = output("touchable");
    EXPECT_TRUE(has(listed, "button \"Cancel\" at ")) << listed;
    EXPECT_TRUE(has(listed, ": scan cancel\n")) << listed;
    // The switch is there (the device has a front camera), in the corner the bar covers.
    EXPECT_EQ(output("camera switch"), "the scanner uses the front camera\n");
    EXPECT_FALSE(has(listed, "camera switch")) << listed;
    EXPECT_EQ(run("touch 160 300").errors, "nothing to touch at 160 300\n") << "the scan box";

    const auto typed = eventsOf("scan cancel");
    ASSERT_FALSE(typed.empty());
    output("tap 3");
    const auto touched = eventsOf("touch " + centreOf("button \"Cancel\""));
    EXPECT_EQ(touched, typed);
    EXPECT_EQ(output("presented"), "nothing presented\n");

    output("tap 3");
    EXPECT_EQ(output("touch 285 25"), "touched button \"Cancel\"\npressed \"Cancel\"\n")
        << "where the switch lies, the bar's button takes the finger";
}

TEST_F(TouchTest, TheShutterTakesWhatTheCameraSeesAsThePickersShutterCommandDoes) {
    output("defaults write FUNCTION_1 SYS-Mail");
    output("defaults write DEFAULT_ACTION_SYS-Mail Camera");
    output("open");
    output("tap 1");
    const auto shutter = centreOf("button \"shutter\"");
    const auto blind = run("touch " + shutter);
    EXPECT_EQ(blind.status, 1);
    EXPECT_TRUE(has(blind.errors, "the camera sees nothing in particular")) << blind.errors;
    EXPECT_EQ(output("presented"), "UIImagePickerController\n") << "nothing was taken";

    const std::string photo = ORVANE_STAGED_LIBRARY "/IMG_0002.JPG";
    output("camera show " + photo);
    const auto typed = eventsOf("picker shutter");
    ASSERT_TRUE(std::ranges::any_of(typed, [](const std::string& event) {
        return event.find("IMG_0001.JPG") != std::string::npos;
    })) << ::testing::PrintToString(typed);
    // The photo is the picture held up, not the camera's sideways view of it.
    const auto bytesOf = [](const std::filesystem::path& file) {
        std::ifstream in(file, std::ios::binary);
        return std::vector<std::uint8_t>(std::istreambuf_iterator<char>(in), {});
    };
    const auto taken =
        CGImageCreateWithJPEGData(bytesOf(DeviceRoot::resolve("/var/tmp/camera/IMG_0001.JPG")));
    const auto held = CGImageCreateWithJPEGData(bytesOf(photo));
    ASSERT_TRUE(taken && held);
    EXPECT_EQ(taken->width(), held->width());
    EXPECT_EQ(taken->height(), held->height());

    while (output("presented") != "nothing presented\n")
        output("dismiss");
    output("tap 1");
    EXPECT_EQ(eventsOf("touch " + shutter), typed);
    output("camera clear");
    EXPECT_EQ(run("picker shutter").status, 1) << "the camera sees nothing once cleared";
}

} // namespace
