#include "CoreGraphics/CGContext.h"
#include "CoreGraphics/CGImage.h"
#include "SimulatorFixture.h"
#include "support/DeviceEvents.h"

#include <algorithm>
#include <cstdlib>
#include <fstream>

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
    EXPECT_EQ(
        run("sheet send").errors,
        "no mail, message or post sheet that can be answered \"send\" is presented; "
        "UIImagePickerController is presented: answer it with picker choose NAME|cancel (alert shows it)\n")
        << "the hint names the picker's command, never choose";
    for (const auto* line : {"picker take /etc/hostname", "picker choose ../../../etc/passwd",
                             "picker choose ..", "picker choose IMG_9999.JPG", "sheet send"})
        EXPECT_EQ(run(line).status, 1) << line;
    EXPECT_EQ(output("picker choose IMG_0005.MOV"), "picked IMG_0005.MOV\n");
    EXPECT_EQ(output("alert"), "UIActivityViewController\nitems: 1\n"
                               "item: file URL file:///var/mobile/Media/DCIM/100APPLE/IMG_0005.MOV\n"
                               "activity: com.apple.UIKit.activity.AirDrop\n"
                               "activity: com.apple.UIKit.activity.Message\n"
                               "activity: com.apple.UIKit.activity.Mail\n"
                               "activity: com.apple.UIKit.activity.SaveToCameraRoll\n");
    const auto wrongAnswer = run("choose OK");
    EXPECT_EQ(wrongAnswer.status, 1);
    EXPECT_EQ(wrongAnswer.errors, "no alert is presented; UIActivityViewController is presented: answer it "
                                  "with share ACTIVITY|cancel (alert shows it)\n");
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

    output("tap 1");
    output("picker choose IMG_0001.JPG");
    const auto post = output("alert");
    EXPECT_TRUE(post.starts_with("SLComposeViewController\n")) << post;
    EXPECT_EQ(run("tap 2").errors, "something is presented over Control Center: SLComposeViewController is "
                                   "presented: answer it with sheet post|cancel (alert shows it)\n");
}

TEST_F(PersonTest, TheShareSheetListsAPhotoWithItsPixelSize) {
    output("defaults write DEFAULT_ACTION_SYS-Photo Library");
    openWith("SYS-Photo");
    output("tap 1");
    output("picker choose IMG_0001.JPG");
    const auto sheet = output("alert");
    EXPECT_TRUE(has(sheet, "items: 1\nitem: image, 800 x 600 pixels\nactivity: ")) << sheet;
    EXPECT_TRUE(has(sheet, "activity: com.apple.UIKit.activity.Print\n")) << sheet;
    EXPECT_EQ(output("share Print"), "completed com.apple.UIKit.activity.Print\n");
}

// The whole screen as `screenshot` draws it.
class ScreenTest : public PersonTest {
  protected:
    // Whether a pixel at a point (the screen is at scale 2) has the grey of `white` (0 to 255).
    static bool greyAt(const CGImageRef& image, int x, int y, int white) {
        const auto pixel = image->pixelAt(std::size_t(2 * x), std::size_t(2 * y));
        return std::abs(pixel.red - white) < 8 && std::abs(pixel.green - white) < 8 &&
               std::abs(pixel.blue - white) < 8;
    }
};

TEST_F(ScreenTest, TheCameraTakesOnlyWhatTheDeviceCanReadAndTheMailSheetShowsItsPhoto) {
    output("defaults write DEFAULT_ACTION_SYS-Mail Camera");
    openWith("SYS-Mail");
    output("tap 1");
    auto image = screen();
    ASSERT_NE(image, nullptr);
    EXPECT_TRUE(greyAt(image, 160, 530, 255)) << "the shutter";
    EXPECT_FALSE(greyAt(image, 160, 250, 255)) << "the camera's view";

    const auto garbage = root.root() / "broken.JPG";
    std::ofstream(garbage) << "no JPEG at all";
    const auto refused = run("picker take " + garbage.string());
    EXPECT_EQ(refused.status, 1);
    EXPECT_EQ(refused.errors, "broken.JPG is no photo or video the device can read\n");
    EXPECT_EQ(run("picker take " + (root.root() / "missing.JPG").string()).status, 1);

    EXPECT_EQ(output("picker take " ORVANE_STAGED_LIBRARY "/IMG_0002.JPG"), "picked IMG_0002.JPG\n");
    image = screen();
    EXPECT_TRUE(greyAt(image, 300, 90, 250)) << "the card under the navigation bar";
    EXPECT_FALSE(greyAt(image, 72, 244, 250)) << "the photo's thumbnail";
    EXPECT_TRUE(greyAt(image, 300, 500, 0x35)) << "Control Center, dimmed, below the card";
}

TEST_F(ScreenTest, TheCamerasViewfinderShowsWhatTheCameraSeesUpright) {
    output("defaults write DEFAULT_ACTION_SYS-Mail Camera");
    openWith("SYS-Mail");
    output("tap 1");
    auto image = screen();
    ASSERT_NE(image, nullptr);
    // Between the top bar (44 points) and the shutter's bar (96 points).
    const int across = int(image->width() / 4);
    const int middle = 44 + (int(image->height() / 2) - 44 - 96) / 2;
    EXPECT_TRUE(greyAt(image, across, middle, 115)) << "the empty scene's grey";

    // Red above blue, held upright; CoreGraphics fills from the bottom up.
    const auto context = CGBitmapContextCreate(400, 300);
    CGContextSetRGBFillColor(context, 1, 0, 0, 1);
    CGContextFillRect(context, CGRectMake(0, 0, 400, 300));
    CGContextSetRGBFillColor(context, 0, 0, 1, 1);
    CGContextFillRect(context, CGRectMake(0, 0, 400, 150));
    const auto picture = CGBitmapContextCreateImage(context);
    ASSERT_EQ(picture->pixelAt(200, 10), (CGImage::RGBA{255, 0, 0, 255})) << "red on top";
    const auto file = root.root() / "red-over-blue.png";
    const auto bytes = CGImagePNGRepresentation(picture);
    std::ofstream(file, std::ios::binary)
        .write(reinterpret_cast<const char*>(bytes.data()), std::streamsize(bytes.size()));
    output("camera show " + file.string());
    image = screen();
    const auto colourAt = [&](int y) { return image->pixelAt(std::size_t(2 * across), std::size_t(2 * y)); };
    EXPECT_EQ(colourAt(middle - 20), (CGImage::RGBA{255, 0, 0, 255})) << "red above the middle";
    EXPECT_EQ(colourAt(middle + 20), (CGImage::RGBA{0, 0, 255, 255})) << "blue below it";
    EXPECT_TRUE(greyAt(image, across, middle - 120, 115)) << "the scene's grey around the picture";
}

TEST_F(ScreenTest, AMenuWithoutATitleHasNoHairlineAboveItsFirstItem) {
    openWith("SYS-Facebook");
    output("hold 1");
    const auto image = screen();
    ASSERT_NE(image, nullptr);
    // Down the middle, from the dimmed screen to the menu's panel: its first row of pixels is the panel.
    std::size_t y = 0;
    while (y < image->height() && image->pixelAt(320, y).red < 150)
        ++y;
    ASSERT_LT(y, image->height() / 2 + 200);
    EXPECT_GT(image->pixelAt(320, y).red, 240) << "the panel's top edge, not a hairline, at row " << y;
    EXPECT_LT(image->pixelAt(320, y + 100).red - image->pixelAt(320, y).red, 2) << "one panel colour";
}

TEST_F(ScreenTest, TheLibraryShowsItsPhotosAndVideosAndPassesOverOtherFiles) {
    root.writeText(std::string(photoLibraryFolder) + "/AAA.txt", "a note");
    output("defaults write DEFAULT_ACTION_SYS-Mail Library");
    openWith("SYS-Mail");
    output("tap 1");
    const auto image = screen();
    ASSERT_NE(image, nullptr);
    EXPECT_FALSE(greyAt(image, 40, 104, 255)) << "the first photo, not the note";
    EXPECT_TRUE(greyAt(image, 10, 160, 51)) << "the video, fifth";
    EXPECT_TRUE(greyAt(image, 120, 183, 255)) << "nothing after it";
    EXPECT_EQ(run("picker choose AAA.txt").status, 1);

    std::filesystem::remove_all(root.hostPath(photoLibraryFolder));
    EXPECT_NE(screen(), nullptr) << "a library without its folder is drawn empty";
    EXPECT_EQ(run("picker choose IMG_0001.JPG").status, 1);
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

namespace {

const std::string facebookMenu = "UIAlertController, action sheet style\n"
                                 "title: none\n"
                                 "message: none\n"
                                 "action: \"New Post\" (default)\n"
                                 "action: \"Take Photo/Video\" (default)\n"
                                 "action: \"Upload Photo/Video\" (default)\n"
                                 "action: \"Launch\" (default)\n";

TEST_F(PersonTest, TwoHoldsOnFacebookShowItsMenuWithTheAppStoreItemOnlyWhileItIsEnabled) {
    openWith("APP-Facebook");
    EXPECT_EQ(output("hold 1 --state began"), "pressing button 1\n");
    EXPECT_EQ(output("hold 1 --state changed"), "pressing button 1, the finger moving\n");
    EXPECT_EQ(output("alert"), "nothing presented\n") << "the finger is still down";
    EXPECT_EQ(output("hold 1"), "held button 1\n");
    EXPECT_EQ(output("alert"),
              facebookMenu +
                  "action: \"Open in App Store\" (default)\naction: \"Cancel\" (cancel, preferred)\n");
    output("choose Cancel");
    output("defaults write APP_STORE_ENABLED -bool false");
    output("hold 1");
    EXPECT_EQ(output("alert"), facebookMenu + "action: \"Cancel\" (cancel, preferred)\n");
    output("choose Launch");
    EXPECT_EQ(actionEvents().back(), "springboard.activateApplication bundle=com.facebook.Facebook");
}

TEST_F(PersonTest, MalformedHoldsAreRefusedAndAHoldNeedsAReachableButton) {
    openWith("APP-Facebook");
    for (const auto* line :
         {"hold", "hold 0", "hold 7", "hold 1 --state ended", "hold 1 --state", "hold 1 2"})
        EXPECT_EQ(run(line).status, 2) << line;
    output("hold 1");
    EXPECT_EQ(run("hold 1").status, 1) << "the menu covers the row";
    output("close");
    EXPECT_EQ(run("hold 1").status, 1) << "Control Center is closed";
}

} // namespace
