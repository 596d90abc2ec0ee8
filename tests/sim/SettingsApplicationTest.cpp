#include "CoreGraphics/CGImage.h"
#include "Foundation/FoundationHost.h"
#include "Foundation/NSBundle.h"
#include "sim/ChildProcess.h"
#include "sim/Simulator.h"
#include "support/StringsTableChecks.h"
#include "support/TemporaryDevice.h"

#include <fstream>
#include <gtest/gtest.h>
#include <iterator>
#include <sstream>

namespace {

using namespace std::chrono_literals;

// The Settings application played in this process, with the bundles the build staged.
class SettingsApplicationTest : public ::testing::Test {
  protected:
    SettingsApplicationTest() { EXPECT_EQ(run({"install"}).status, 0); }

    struct Result {
        int status;
        std::string out;
        std::string errors;
    };
    Result run(std::vector<std::string> words) {
        std::ostringstream out, errors;
        const int status = device->run(words, out, errors);
        return {status, out.str(), errors.str()};
    }
    std::string page(std::vector<std::string> words) {
        const auto result = run(words);
        EXPECT_EQ(result.status, 0) << result.errors;
        return result.out;
    }
    static bool has(const std::string& text, std::string_view part) {
        return text.find(part) != std::string::npos;
    }

    TemporaryDevice root;
    std::unique_ptr<Simulator> device = std::make_unique<Simulator>(defaultDeviceProfile());
};

TEST_F(SettingsApplicationTest, TheListFindsThePaneThroughItsEntryPlist) {
    EXPECT_TRUE(
        has(page({"settings", "open"}), "page Settings\ngroup Tweaks\n  Orvane  (icon 29 x 29)  >\n"));
    std::filesystem::remove(root.hostPath("/Library/PreferenceLoader/Preferences/Orvane.plist"));
    EXPECT_FALSE(has(page({"settings", "open"}), "Orvane")) << "nothing is hard-wired";
    EXPECT_EQ(run({"settings", "tap", "Orvane"}).errors, "no row \"Orvane\" on this page\n");
}

TEST_F(SettingsApplicationTest, AFingerWalksThePagesAndSetsValues) {
    page({"settings", "open"});
    EXPECT_TRUE(
        has(page({"settings", "tap", "Orvane"}), "page Orvane  < Settings  [Donate]\ngroup Buttons\n"));
    EXPECT_TRUE(has(page({"settings", "set", "Rounded Icons", "on"}), "  Rounded Icons = ON\n"));
    EXPECT_TRUE(has(page({"settings", "set", "Height", "60"}), "  Height = 60\n"));
    EXPECT_TRUE(has(page({"settings", "set", "Icon Size", "30 points"}), "  Icon Size = 30 points  >\n"));
    EXPECT_EQ(run({"settings", "set", "Height", "20"}).status, 1) << "below the slider's range";
    EXPECT_EQ(run({"settings", "set", "Rounded Icons", "maybe"}).status, 1);
    EXPECT_EQ(run({"settings", "set", "Reset Height", "1"}).status, 1) << "a button takes no value";
    EXPECT_TRUE(has(page({"defaults", "read"}), "ICON_SIZE = 30")) << page({"defaults", "read"});

    const auto colours = page({"settings", "tap", "Colours"});
    EXPECT_TRUE(has(colours, "page Colours  < Orvane\n")) << colours;
    EXPECT_TRUE(has(colours, "  Reset Background Colour  (button, centred)\n"));
    const auto shared = run({"settings", "set", "Red", "0.5"});
    EXPECT_EQ(shared.status, 1);
    EXPECT_EQ(shared.errors,
              "\"Red\" is in more than one group: name one of Background/Red, Separators/Red\n");
    EXPECT_EQ(run({"settings", "tap", "Green"}).status, 1) << "a tap needs one row too";
    EXPECT_TRUE(has(page({"settings", "set", "Separators/Red", "0.5"}), "  Red = 0.5\n"));
    EXPECT_TRUE(has(page({"defaults", "read", "SEPARATOR_RED"}), "SEPARATOR_RED = 0.5"));
    EXPECT_FALSE(has(page({"defaults", "read"}), "BACKGROUND_RED"));
    page({"settings", "set", "Button Alpha", "0.5"});
    EXPECT_TRUE(has(page({"settings", "tap", "Reset Button Alpha"}), "  Button Alpha = 0.7\n"));
    page({"settings", "back"});
    EXPECT_TRUE(has(page({"settings", "tap", "Default Actions"}), "  Mail = New Mail  >\n"));
    page({"settings", "tap", "Photo"});
    EXPECT_TRUE(has(page({"settings", "tap", "Scan Code"}), "  Scan Code  (chosen)\n"));
    EXPECT_TRUE(has(page({"settings", "back"}), "  Photo = Scan Code  >\n"));
    page({"settings", "back"});
    page({"settings", "back"});
    EXPECT_EQ(run({"settings", "back"}).errors, "already on the top list\n");
}

// The application's own texts (its title, the group of the packages' entries, the back button's word) come
// from its bundle's table, which holds exactly what it looks up, in every language.
TEST_F(SettingsApplicationTest, TheApplicationsOwnTablesHoldWhatItLooksUpInEveryLanguage) {
    page({"settings", "open"});
    page({"settings", "tap", "Orvane"});
    page({"screenshot", (root.root() / "page.png").string()});
    const auto bundle = NSBundle::bundleWithPath(SettingsApplication::bundlePath);
    ASSERT_TRUE(bundle) << "a fresh device has the Settings application's bundle";
    EXPECT_EQ(bundle->localizations(), strings_tables::shippedLanguages);
    const auto& keys = FoundationHost::lookedUpKeys(*bundle);
    ASSERT_EQ(keys.size(), 1u);
    EXPECT_EQ(keys.at("Localizable"), (strings_tables::Keys{"Back", "Settings", "Tweaks"}));
    strings_tables::expectTablesHoldWhatIsLookedUp(
        root.hostPath(std::string(SettingsApplication::bundlePath)), keys, ORVANE_GLOSSARIES);
}

TEST_F(SettingsApplicationTest, TheClockDecidesTheAboutYearsAndTheScreenshotDrawsThePage) {
    EXPECT_EQ(page({"clock", "2015-03-01"}), "device clock 2015-03-01 12:00:00\n");
    page({"settings", "open"});
    EXPECT_TRUE(has(page({"settings", "tap", "Orvane"}), "footer: Orvane \u00A9 2015 Velquin"));
    EXPECT_EQ(run({"clock", "2015-02-30"}).status, 2);
    const auto file = (root.root() / "page.png").string();
    EXPECT_TRUE(has(page({"screenshot", file}), "wrote " + file + ", 640 x "));
    std::ifstream in(file, std::ios::binary);
    const std::vector<std::uint8_t> bytes{std::istreambuf_iterator<char>(in), {}};
    const auto image = CGImageCreateWithPNGData(bytes);
    ASSERT_TRUE(image);
    EXPECT_GT(image->height(), 2000u) << "the whole page, beyond the screen's height";
    EXPECT_EQ(image->pixelAt(4, image->height() - 4), (CGImage::RGBA{239, 239, 244, 255}))
        << "grouped background";
}

// A slider's thumb stops at the ends of its track, so that every slider of a page begins where the others do:
// the thumb of one at its lowest value lies where the track of one at its highest value starts.
TEST_F(SettingsApplicationTest, TheSlidersOfAPageBeginAtOnePlaceWhateverTheirValues) {
    page({"settings", "open"});
    page({"settings", "tap", "Orvane"});
    page({"settings", "tap", "Colours"});
    page({"settings", "set", "Background/Red", "0"});
    page({"settings", "set", "Button Alpha", "1"});
    const auto touchable = page({"touchable"});
    // The centre line of the first row of that title, in the screenshot's pixels (two to a point).
    const auto centreOf = [&](const std::string& title) {
        const std::string row = "row \"" + title + "\" at ";
        std::istringstream line(touchable.substr(touchable.find(row) + row.size()));
        double x = 0, top = 0, width = 0, height = 0;
        line >> x >> top >> width >> height;
        return static_cast<std::size_t>(2 * (top + height / 2));
    };
    const auto file = (root.root() / "colours.png").string();
    page({"screenshot", file});
    std::ifstream in(file, std::ios::binary);
    const std::vector<std::uint8_t> bytes{std::istreambuf_iterator<char>(in), {}};
    const auto image = CGImageCreateWithPNGData(bytes);
    ASSERT_TRUE(image);

    const auto isTint = [](CGImage::RGBA pixel) { return pixel.blue > 200 && pixel.red < 100; };
    const std::size_t full = centreOf("Button Alpha");
    std::size_t trackStart = 0;
    while (trackStart < image->width() && !isTint(image->pixelAt(trackStart, full)))
        ++trackStart;
    ASSERT_LT(trackStart, image->width() / 2 + 100) << "the blue of a full track";
    // Past the title "Red", which ends far to the left of any track.
    const std::size_t empty = centreOf("Red");
    std::size_t thumbStart = trackStart - 48;
    while (thumbStart < image->width() && image->pixelAt(thumbStart, empty).red > 235)
        ++thumbStart;
    EXPECT_NEAR(static_cast<double>(thumbStart), static_cast<double>(trackStart), 2);
}

// The Settings application in one process and SpringBoard in another: the change made through the picker
// reaches the section, which shows it at Control Center's next appearance.
TEST(SettingsAndSpringBoard, AFunctionPickedInThePaneShowsInControlCenter) {
    // The scripts and the picture lie beside the device's folder: a folder of other files is no device.
    TemporaryDevice folder;
    const auto device = (folder.root() / "device").string();
    const auto script = [&](const std::string& name, const std::string& lines) {
        const auto path = folder.root() / name;
        std::ofstream(path) << lines;
        return path.string();
    };
    const auto picture = (folder.root() / "section.png").string();
    ChildProcess springBoard(
        {ORVANE_SIM_PATH, "--device", device, "script",
         script("springboard.txt", "install\nopen\nclose\nwatch --notifications 1 --seconds 60\n"
                                   "open\nscreenshot " +
                                       picture + "\n")});
    ASSERT_TRUE(springBoard.readUntil("settings in force at start:", 30s)) << springBoard.output();
    ChildProcess settings(
        {ORVANE_SIM_PATH, "--device", device, "script",
         script("settings.txt", "settings open\nsettings tap Orvane\nsettings tap \"Button 3\"\n"
                                "settings tap Notes\n")});
    EXPECT_TRUE(settings.readUntil("  Notes  (icon 29 x 29)  (chosen)\n", 30s)) << settings.output();
    EXPECT_EQ(settings.wait(), 0);
    ASSERT_TRUE(springBoard.readUntil("wrote " + picture, 30s)) << springBoard.output();
    ASSERT_EQ(springBoard.wait(), 0);

    std::ifstream in(picture, std::ios::binary);
    const auto image =
        CGImageCreateWithPNGData(std::vector<std::uint8_t>{std::istreambuf_iterator<char>(in), {}});
    ASSERT_TRUE(image);
    // The third of six slots: count the Notes tile's yellow there (blended with the light backdrop by the
    // buttons' alpha), where the default function shows Mail's blue.
    int yellow = 0;
    for (std::size_t x = image->width() * 2 / 6; x < image->width() * 3 / 6; ++x) {
        for (std::size_t y = 0; y < image->height(); ++y) {
            const auto pixel = image->pixelAt(x, y);
            yellow += pixel.red > 150 && pixel.green > 120 && pixel.blue + 80 < pixel.red;
        }
    }
    EXPECT_GT(yellow, 500) << "slot 3 shows the Notes icon";

    ChildProcess events({ORVANE_SIM_PATH, "--device", device, "events"});
    events.readUntil("notify.posted name=com.velquin.orvane.changed", 30s);
    ASSERT_EQ(events.wait(), 0);
    const auto log = events.output();
    const auto write =
        log.find("plist.written path=/var/mobile/Library/Preferences/com.velquin.orvane.plist keys=1");
    EXPECT_NE(write, std::string::npos) << log;
    EXPECT_NE(log.find("notify.posted name=com.velquin.orvane.changed", write), std::string::npos) << log;
}

} // namespace
