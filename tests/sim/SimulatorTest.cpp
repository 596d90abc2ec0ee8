#include "CoreGraphics/CGImage.h"
#include "SimulatorFixture.h"
#include "SpringBoard/SBControlCenterController.h"
#include "SpringBoard/SpringBoardHost.h"
#include "support/DeviceEvents.h"

#include <fstream>
#include <gtest/gtest.h>
#include <sstream>

namespace {

TEST_F(SimulatorTest, InstallingPutsTheBuiltBundleWhereTheLoaderLooks) {
    EXPECT_EQ(output("install"),
              "installed OrvaneCC.bundle in /Library/Caddex/Bundles/OrvaneCC.bundle/\n"
              "installed OrvanePrefs.bundle in /Library/PreferenceBundles/OrvanePrefs.bundle/\n"
              "installed PreferenceLoader in /Library/PreferenceLoader/Preferences/\n"
              "installed System/Library/PrivateFrameworks/Preferences.framework in "
              "/System/Library/PrivateFrameworks/Preferences.framework/\n");
    EXPECT_TRUE(
        std::filesystem::is_regular_file(root.hostPath("/Library/Caddex/Bundles/OrvaneCC.bundle/OrvaneCC")));
    EXPECT_TRUE(std::filesystem::is_regular_file(
        root.hostPath("/Library/Caddex/Bundles/OrvaneCC.bundle/Info.plist")));
    EXPECT_EQ(run("install").status, 0) << "installing again replaces the copy";
}

TEST_F(SimulatorTest, InstallingThroughALinkedFolderTouchesNothingOutsideTheDevice) {
    std::string pattern = (std::filesystem::temp_directory_path() / "orvane-outside-XXXXXX").string();
    ASSERT_TRUE(::mkdtemp(pattern.data()));
    const std::filesystem::path outside = pattern;
    std::filesystem::create_directories(outside / "OrvaneCC.bundle");
    std::ofstream(outside / "OrvaneCC.bundle/keep") << "not the device's";
    std::filesystem::create_directories(root.hostPath("/Library/Caddex"));
    std::filesystem::create_symlink(outside, root.root() / "Library/Caddex/Bundles");

    EXPECT_EQ(run("install").status, 0);
    EXPECT_TRUE(std::filesystem::exists(outside / "OrvaneCC.bundle/keep"));
    EXPECT_FALSE(std::filesystem::exists(outside / "OrvaneCC.bundle/OrvaneCC"));
    EXPECT_TRUE(
        std::filesystem::is_regular_file(root.root() / outside.relative_path() / "OrvaneCC.bundle/OrvaneCC"));
    std::filesystem::remove_all(outside);
}

TEST_F(SimulatorTest, InstallingWithNothingBuiltFails) {
    device.reset();
    device = std::make_unique<Simulator>(defaultDeviceProfile(), root.root() / "nothing-staged");
    const auto result = run("install");
    EXPECT_EQ(result.status, 1);
    EXPECT_TRUE(has(result.errors, "nothing to install")) << result.errors;
}

TEST_F(SimulatorTest, ControlCenterOpensWithoutASectionUntilOneIsInstalled) {
    EXPECT_EQ(output("open"), "Control Center open, 320 wide; no section (install it first)\n");
    EXPECT_EQ(run("screenshot " + (root.root() / "a.png").string()).status, 1);
    output("close");
    output("install");
    EXPECT_EQ(output("open"), "Control Center open, 320 wide; section 320 x 46\n");
}

TEST_F(SimulatorTest, ABrokenSectionBundleIsReportedWithItsReasonAndLogged) {
    output("install");
    std::filesystem::resize_file(root.hostPath("/Library/Caddex/Bundles/OrvaneCC.bundle/OrvaneCC"), 3000);
    const auto truncated = run("open");
    EXPECT_EQ(truncated.status, 1);
    EXPECT_TRUE(truncated.errors.starts_with("the section bundle could not be loaded: ")) << truncated.errors;
    EXPECT_TRUE(has(truncated.errors, "truncated")) << truncated.errors;
    EXPECT_TRUE(has(loggedEvents("bundle.refused").back(), "truncated"));

    std::ofstream(root.hostPath("/Library/Caddex/Bundles/OrvaneCC.bundle/OrvaneCC")) << "#!/bin/sh\n";
    EXPECT_EQ(run("open").errors, "the section bundle could not be loaded: the module is not an ELF file\n");
}

TEST_F(SimulatorTest, DescribeShowsTheRowAsLaidOut) {
    output("install");
    output("open");
    const auto tree = output("describe");
    EXPECT_TRUE(has(tree, "Control Center open, 320 wide; section 320 x 46\nUIView frame 0 0 320 46\n"))
        << tree;
    EXPECT_TRUE(has(tree, "\n  UIView frame 0 0 320 46, background 0 0 0 alpha 0\n")) << tree;
    EXPECT_TRUE(has(tree, "\n    UIButton frame 53.5 0 52.5 46, alpha 0.7, image 40 x 40\n")) << tree;
    EXPECT_TRUE(has(tree, "\n    UIView frame 52.5 3 1 40, background 0 0 0 alpha 0.7\n")) << tree;
}

TEST_F(SimulatorTest, AWidthGivenWhileOpeningIsLaidOutAtOnce) {
    output("install");
    EXPECT_EQ(output("open --width 300"), "Control Center open, 300 wide; section 300 x 46\n");
    EXPECT_TRUE(has(output("describe"), "\n  UIView frame 0 0 300 46,"));
}

TEST_F(SimulatorTest, AWidthChangedWhileClosedShowsAtTheNextOpening) {
    output("install");
    output("open");
    output("close");
    EXPECT_EQ(output("width 280"), "Control Center closed, 280 wide; section 280 x 46\n");
    output("open");
    EXPECT_TRUE(has(output("describe"), "\n  UIView frame 0 0 280 46,"));
}

TEST_F(SimulatorTest, ALockedDeviceHidesTheSection) {
    output("install");
    EXPECT_EQ(output("lock"), "device locked\n");
    EXPECT_EQ(output("open"), "Control Center open, 320 wide; section 320 x 0, hidden\n");
    output("close");
    output("unlock");
    EXPECT_EQ(output("open"), "Control Center open, 320 wide; section 320 x 46\n");
}

TEST_F(SimulatorTest, SettingsWrittenWhileClosedShowAtTheNextOpening) {
    output("install");
    output("open");
    output("close");
    output("defaults write ICON_SIZE -int 30");
    output("defaults write FUNCTION_6 DISABLED");
    output("open");
    const auto tree = output("describe");
    EXPECT_TRUE(has(tree, "image 30 x 30")) << tree;
    EXPECT_TRUE(has(tree, "\n    UIButton frame 0 0 63.2 46, alpha 0.7, image 30 x 30\n")) << tree;
}

TEST_F(SimulatorTest, OpeningTwiceOrClosingTwiceIsAnError) {
    EXPECT_EQ(run("close").status, 1);
    output("open");
    const auto again = run("open");
    EXPECT_EQ(again.status, 1);
    EXPECT_EQ(again.errors, "Control Center is already open\n");
}

TEST_F(SimulatorTest, MalformedCommandsShowTheirUsage) {
    for (const auto* line : {"install now",
                             "open --width",
                             "open --width 0",
                             "open --width inf",
                             "open --width -5",
                             "open --width nan",
                             "open --height 3",
                             "close x",
                             "width",
                             "width -3",
                             "width nan",
                             "width inf",
                             "width -inf",
                             "lock x",
                             "screenshot",
                             "describe x",
                             "presented x",
                             "dismiss x",
                             "wait",
                             "wait 0",
                             "wait 100000",
                             "settings",
                             "settings jump",
                             "settings set x",
                             "clock 2015",
                             "clock 2015-01-01 25:00:00",
                             "picker",
                             "picker take",
                             "picker open IMG_0001.JPG",
                             "sheet",
                             "sheet send now",
                             "share",
                             "share Mail now",
                             "language en-"}) {
        const auto result = run(line);
        EXPECT_EQ(result.status, 2) << line;
        EXPECT_EQ(result.errors.rfind("usage: ", 0), 0u) << line << ": " << result.errors;
    }
    const auto unknown = run("jump");
    EXPECT_EQ(unknown.status, 2);
    EXPECT_EQ(unknown.errors,
              "unknown command jump\ncommands: install remove packages open close width lock unlock describe "
              "screenshot touch touchable tap hold alert choose orientation presented "
              "dismiss picker sheet share camera scan "
              "settings clock wait "
              "help state tour defaults watch language events boot status shutdown serve\n");
}

// One command's usage, whichever way it is asked for, and nothing run: a script line `open --help` leaves
// Control Center closed.
TEST_F(SimulatorTest, HelpNamesOneCommandsUsageAndCommandHelpRunsNothing) {
    const auto open = output("help open");
    EXPECT_EQ(open,
              "usage:\n  open [--width W]\n      Control Center appears; with --width, its width becomes W "
              "as it slides in\n");
    EXPECT_EQ(output("open --help"), open);
    EXPECT_TRUE(has(output("describe"), "Control Center closed")) << "open --help opened nothing";
    EXPECT_TRUE(has(output("help"), "\n  open [--width W]\n")) << "the whole list names open too";
    for (const auto* line : {"help jump", "help open close"}) {
        const auto refused = run(line);
        EXPECT_EQ(refused.status, 2) << line;
        EXPECT_EQ(refused.out, "") << line;
        EXPECT_TRUE(has(refused.errors, "unknown command")) << line << refused.errors;
    }
}

// The table a booted device routes by lists the very commands the device runs, each with the process that a
// person's action reaches.
TEST_F(SimulatorTest, EveryCommandHasOneOwnerAndTheRoutesMatchTheDevice) {
    const auto routes = Simulator::routes();
    ASSERT_EQ(routes.commands().size(), device->commands().commands().size());
    for (std::size_t at = 0; at < routes.commands().size(); ++at) {
        EXPECT_EQ(routes.commands()[at].name, device->commands().commands()[at].name);
        EXPECT_TRUE(device->commands().commands()[at].run) << routes.commands()[at].name;
    }
    const std::pair<std::string_view, Owner> owners[] = {
        {"tap", Owner::SpringBoard},      {"camera", Owner::SpringBoard}, {"install", Owner::SpringBoard},
        {"settings", Owner::Preferences}, {"screenshot", Owner::Front},   {"clock", Owner::EveryProcess},
        {"defaults", Owner::Supervisor},  {"help", Owner::SpringBoard},   {"status", Owner::Supervisor}};
    for (const auto& [name, owner] : owners) {
        ASSERT_NE(routes.find(name), nullptr) << name;
        EXPECT_EQ(routes.find(name)->owner, owner) << name;
    }
    EXPECT_EQ(routes.find("jump"), nullptr);
    // What needs only the device's files runs from the routes alone; what needs a device's objects does not.
    EXPECT_TRUE(routes.find("defaults")->run);
    EXPECT_FALSE(routes.find("tap")->run);
    EXPECT_FALSE(routes.find("settings")->run);
}

TEST_F(SimulatorTest, AScreenshotWiderThanTheDrawingLimitSaysSo) {
    output("install");
    output("open --width 9000");
    const auto result = run("screenshot " + (root.root() / "wide.png").string());
    EXPECT_EQ(result.status, 1);
    EXPECT_EQ(result.errors,
              "the screenshot would be 18000 pixels wide, wider than the drawing limit of 16384 "
              "pixels\n");
}

TEST_F(SimulatorTest, AFileSystemErrorFailsTheCommandWithItsReasonNotTheProcess) {
    const std::string longName(300, 'n');
    const auto result = run("install --package /tmp/" + longName + ".deb");
    EXPECT_EQ(result.status, 1) << result.errors;
    EXPECT_NE(result.errors.find("File name too long"), std::string::npos) << result.errors;
}

TEST_F(SimulatorTest, AScreenshotIsTheSectionOverALightBackdropAtTheScreenScale) {
    output("install");
    output("open");
    const auto file = root.root() / "section.png";
    EXPECT_EQ(output("screenshot " + file.string()), "wrote " + file.string() + ", 640 x 124 pixels\n");
    std::ifstream in(file, std::ios::binary);
    const std::vector<std::uint8_t> bytes(std::istreambuf_iterator<char>(in), {});
    const auto image = CGImageCreateWithPNGData(bytes);
    ASSERT_NE(image, nullptr);
    ASSERT_EQ(image->width(), 640u);
    ASSERT_EQ(image->height(), 124u);

    const auto backdrop = image->pixelAt(0, 0);
    EXPECT_EQ(backdrop.alpha, 255);
    EXPECT_GT(backdrop.red + backdrop.green + backdrop.blue, 3 * 192) << "light";
    EXPECT_EQ(image->pixelAt(639, 123), backdrop) << "the margin below is backdrop too";
    EXPECT_EQ(image->pixelAt(20, 16 + 2), backdrop) << "a clear row shows the backdrop";

    // Separator 1 stands at x 52.5 points, from y 3 to 43 of the row: black at alpha 0.7.
    const auto separator = image->pixelAt(105, 16 + 23);
    EXPECT_LT(separator.red, backdrop.red);
    EXPECT_EQ(separator.alpha, 255);
    // The middle of button 1 shows its icon, not the backdrop.
    EXPECT_NE(image->pixelAt(52, 16 + 46), backdrop);

    // Black glyphs stand out against the backdrop.
    output("close");
    output("defaults write ICON_STYLE -int 1");
    output("open");
    output("screenshot " + file.string());
    std::ifstream again(file, std::ios::binary);
    const auto glyphs =
        CGImageCreateWithPNGData(std::vector<std::uint8_t>(std::istreambuf_iterator<char>(again), {}));
    ASSERT_NE(glyphs, nullptr);
    int darkest = 255;
    for (std::size_t x = 20; x < 90; ++x) {
        for (std::size_t y = 30; y < 94; ++y)
            darkest = std::min<int>(darkest, glyphs->pixelAt(x, y).red);
    }
    EXPECT_LT(darkest, backdrop.red / 2) << "the Facebook glyph is seen";
}

TEST_F(SimulatorTest, TheIPadProfileGivesAWideRow) {
    std::string error;
    const auto pad = readDeviceProfile(std::filesystem::path(ORVANE_PROFILES_DIR) / "ipad.plist", error);
    ASSERT_TRUE(pad) << error;
    useProfile(*pad);
    output("install");
    EXPECT_EQ(output("open"), "Control Center open, 768 wide; section 768 x 46\n");
}

TEST_F(SimulatorTest, WithoutSpringBoardClassesTheSectionStillFillsItsContainer) {
    std::string error;
    const auto profile =
        readDeviceProfile(std::filesystem::path(ORVANE_PROFILES_DIR) / "iphone-missing-classes.plist", error);
    ASSERT_TRUE(profile) << error;
    useProfile(*profile);
    output("install");
    output("lock");
    EXPECT_EQ(output("open"), "Control Center open, 320 wide; section 320 x 46\n")
        << "the section cannot find SpringBoard, so it never hears that the device is locked";
    EXPECT_TRUE(has(output("describe"), "\n  UIView frame 0 0 320 46,"));
}

TEST_F(SimulatorTest, WaitLetsTimePass) {
    const auto start = std::chrono::steady_clock::now();
    EXPECT_EQ(run("wait 0.2").status, 0);
    EXPECT_GE(std::chrono::steady_clock::now() - start, std::chrono::milliseconds(200));
}

TEST_F(SimulatorTest, ThePersonSeesAndDismissesWhatIsPresented) {
    const auto presenter = std::dynamic_pointer_cast<UIViewController>(
        SBControlCenterController::sharedInstance()->valueForKey("_viewController"));
    ASSERT_NE(presenter, nullptr);
    EXPECT_EQ(output("presented"), "nothing presented\n");
    presenter->presentViewController(UIViewController::make(), true, nullptr);
    EXPECT_EQ(output("presented"), "UIViewController\n");
    EXPECT_EQ(output("dismiss"), "dismissed UIViewController\n");
    EXPECT_EQ(presenter->presentedViewController(), nullptr);
    EXPECT_EQ(output("presented"), "nothing presented\n");
    const auto nothing = run("dismiss");
    EXPECT_EQ(nothing.status, 1);
    EXPECT_EQ(nothing.errors, "nothing is presented\n");
    EXPECT_EQ(loggedEvents("uikit."),
              (std::vector<std::string>{
                  "uikit.presented controller=UIViewController presenter=UIViewController animated=true",
                  "uikit.dismissed controller=UIViewController presenter=UIViewController animated=true"}));
}

TEST_F(SimulatorTest, TheTourPlaysOneChapterOnTheDeviceAndRefusesOneItDoesNotHave) {
    const auto chapters = output("tour");
    EXPECT_EQ(chapters.rfind("1. Control Center opens", 0), 0u) << chapters;
    EXPECT_NE(chapters.find("\n8. On a Chinese device"), std::string::npos) << chapters;
    EXPECT_EQ(chapters.find("\n9. "), std::string::npos) << chapters;
    for (const auto* wrong : {"tour 0", "tour 9", "tour two", "tour 1 2", "tour 1 --colour red"}) {
        const auto refused = run(wrong);
        EXPECT_EQ(refused.status, 2) << wrong;
        EXPECT_EQ(refused.errors.rfind("usage: tour", 0), 0u) << wrong << ": " << refused.errors;
    }
    // The chapter's commands run on this device and leave it as the chapter does.
    const auto pictures = root.root() / "pictures";
    output("install");
    const auto played = output("tour 6 --screenshots " + pictures.string());
    EXPECT_NE(played.find("$ tap 1"), std::string::npos) << played;
    EXPECT_TRUE(std::filesystem::exists(pictures / "16-app-store-prompt.png"));
    EXPECT_NE(output("describe").find("Control Center open"), std::string::npos);
}

} // namespace
