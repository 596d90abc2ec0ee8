#include "CoreGraphics/CGImage.h"
#include "SimulatorFixture.h"
#include "support/DeviceEvents.h"

#include <algorithm>

namespace {

class PersonTest : public SimulatorTest {
  protected:
    // Installed, Control Center open, slot 1 bound to the function; the log starts empty.
    void openWith(std::string_view functionId) {
        output("install");
        output("defaults write FUNCTION_1 " + std::string(functionId));
        output("open");
        EventLog::clear();
    }
    static std::vector<std::string> actionEvents() {
        auto events = loggedEvents();
        std::erase_if(events, [](const std::string& event) {
            return !event.starts_with("springboard.") && !event.starts_with("uikit.");
        });
        return events;
    }
};

const std::string weChatPrompt =
    "controller=UIAlertController presenter=UIViewController animated=true style=alert title=\"\" "
    "message=\"Open App Store to "
    "download \\\"WeChat\\\"?\" actions=\"OK (default, preferred); Cancel (cancel)\"";

TEST_F(PersonTest, AMissingWeChatIsOfferedAndOKOpensItsPageWithControlCenterStillOpen) {
    openWith("APP-WeChat");
    EXPECT_EQ(output("tap 1"), "tapped button 1\n");
    EXPECT_EQ(output("alert"), "UIAlertController, alert style\n"
                               "title: none\n"
                               "message: \"Open App Store to download \\\"WeChat\\\"?\"\n"
                               "action: \"OK\" (default, preferred)\n"
                               "action: \"Cancel\" (cancel)\n");
    EXPECT_EQ(output("choose OK"), "chose \"OK\"\n");
    EXPECT_EQ(output("alert"), "nothing presented\n");
    EXPECT_EQ(actionEvents(), (std::vector<std::string>{
                                  "uikit.presented " + weChatPrompt,
                                  "uikit.dismissed " + weChatPrompt,
                                  "springboard.openURL url=https://apps.apple.com/app/wechat/id414478124 "
                                  "application=com.apple.AppStore",
                              }));
    EXPECT_TRUE(has(output("describe"), "Control Center open"));
    EXPECT_TRUE(
        has(output("events"), "springboard.openURL url=https://apps.apple.com/app/wechat/id414478124"));
}

TEST_F(PersonTest, TwitterTweetUsesItsQuickActionWhenItHasOneAndItsURLOtherwise) {
    openWith("APP-Twitter");
    output("tap 1");
    EXPECT_EQ(actionEvents(),
              std::vector<std::string>{"springboard.activateShortcutItem "
                                       "type=com.twitter.shortcut.new-tweet bundle=com.atebits.Tweetie2"});

    auto profile = defaultDeviceProfile();
    for (auto& application : profile.applications) {
        if (application.bundleIdentifier == "com.atebits.Tweetie2")
            application.staticShortcutItemTypes.clear();
    }
    useProfile(profile);
    openWith("APP-Twitter");
    output("tap 1");
    EXPECT_EQ(actionEvents(), std::vector<std::string>{"springboard.openURL url=twitter://post"});
}

TEST_F(PersonTest, ClosingControlCenterClosesTheAlertAndTapsNeedAnOpenUncoveredRow) {
    openWith("APP-WeChat");
    output("tap 1");
    EXPECT_EQ(run("tap 2").status, 1) << "the alert covers the row";
    const auto screenshot = root.root() / "alert.png";
    EXPECT_EQ(output("screenshot " + screenshot.string()),
              "wrote " + screenshot.string() + ", 640 x 1136 pixels\n")
        << "the whole screen, at its scale";
    output("close");
    EXPECT_EQ(output("alert"), "nothing presented\n");
    EXPECT_TRUE(has(output("events"), "uikit.dismissed " + weChatPrompt));
    EXPECT_EQ(run("tap 1").status, 1) << "Control Center is closed";
    EXPECT_EQ(run("choose OK").status, 1) << "nothing to choose from";
}

TEST_F(PersonTest, MediaAnswersNeedTheirSheetAndTheLibraryGivesOnlyWhatItHolds) {
    output("defaults write DEFAULT_ACTION_SYS-Photo Library");
    openWith("SYS-Photo");
    for (const auto* line : {"picker cancel", "sheet send", "share Mail"})
        EXPECT_EQ(run(line).status, 1) << line << ": nothing is presented";
    output("tap 1");
    for (const auto* line : {"picker take /etc/hostname", "picker choose ../../../etc/passwd",
                             "picker choose ..", "picker choose IMG_9999.JPG", "sheet send"})
        EXPECT_EQ(run(line).status, 1) << line;
    EXPECT_EQ(output("picker choose IMG_0005.MOV"), "picked IMG_0005.MOV\n");
    EXPECT_EQ(output("alert"), "UIActivityViewController\nitems: 1\n");
    EXPECT_EQ(run("share Print").status, 1) << "a video cannot be printed";
    EXPECT_EQ(output("share SaveToCameraRoll"), "completed com.apple.UIKit.activity.SaveToCameraRoll\n");
    EXPECT_EQ(output("presented"), "nothing presented\n");

    output("close");
    output("defaults write DEFAULT_ACTION_SYS-Twitter Library");
    openWith("SYS-Twitter");
    output("tap 1");
    const auto video = run("picker choose IMG_0005.MOV");
    EXPECT_EQ(video.status, 1);
    EXPECT_EQ(video.errors, "the picker does not offer videos\n");
    EXPECT_EQ(output("picker cancel"), "cancelled the picker\n");
    EXPECT_EQ(loggedEvents("springboard."), std::vector<std::string>{}) << "Control Center stays open";
}

TEST_F(PersonTest, MalformedPersonCommandsAreRefused) {
    openWith("APP-WeChat");
    for (const auto* line : {"tap", "tap 0", "tap 7", "tap one", "alert now", "choose", "orientation 5",
                             "orientation -1", "orientation"})
        EXPECT_EQ(run(line).status, 2) << line;
    output("tap 1");
    EXPECT_EQ(run("choose Later").status, 1);
    EXPECT_EQ(output("orientation 0"), "front-most application orientation 0\n");
    EXPECT_EQ(output("orientation 4"), "front-most application orientation 4\n");
}

} // namespace
