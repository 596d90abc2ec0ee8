#include "CoreGraphics/CGImage.h"
#include "SimulatorFixture.h"
#include "support/CodePictures.h"
#include "support/DeviceEvents.h"

#include <ZXing/BarcodeFormat.h>

#include <fstream>
#include <iterator>

namespace {

// The scanner as a person meets it: slot 1 bound to SYS-Photo with "Scan" as its default action.
class ScannerCommandsTest : public SimulatorTest {
  protected:
    void openScanner() {
        output("install");
        output("defaults write FUNCTION_1 SYS-Photo");
        output("defaults write DEFAULT_ACTION_SYS-Photo Scan");
        output("open");
        EXPECT_EQ(output("tap 1"), "tapped button 1\n");
    }
    // A picture of a code, written where the person keeps it.
    std::string picture(ZXing::BarcodeFormat format, const std::string& text) {
        const auto file = root.root().parent_path() / (root.root().filename().string() + "-code.png");
        const auto bytes = CGImagePNGRepresentation(CodePictures::code(format, text));
        std::ofstream(file, std::ios::binary)
            .write(reinterpret_cast<const char*>(bytes.data()), std::streamsize(bytes.size()));
        files.push_back(file);
        return file.string();
    }
    ~ScannerCommandsTest() override {
        for (const auto& file : files)
            std::filesystem::remove(file);
    }

    std::vector<std::filesystem::path> files;
};

// At the screen's scale of 2: the middle of the scan box, and a point of the dimmed surround.
constexpr std::size_t boxX = 320, boxY = 508, surroundX = 20, surroundY = 600;

TEST_F(ScannerCommandsTest, AnEAN13GivesItsDigitsAndOpenIsStillOffered) {
    openScanner();
    EXPECT_EQ(output("presented"), "UINavigationController\n");
    const auto file = picture(ZXing::BarcodeFormat::EAN13, "4006381333931");
    EXPECT_EQ(output("camera show " + file), "the back camera sees " + file + "\n");
    EXPECT_EQ(output("alert"), "UIAlertController, alert style\n"
                               "title: \"Scan Result\"\n"
                               "message: \"4006381333931\"\n"
                               "action: \"Copy\" (default)\n"
                               "action: \"Open\" (default)\n"
                               "action: \"Cancel\" (cancel, preferred)\n");
    output("choose Copy");
    EXPECT_TRUE(has(output("events"), "pasteboard.string string=4006381333931\n"));
    EXPECT_EQ(output("alert"), "nothing presented\n");
}

TEST_F(ScannerCommandsTest, TheScannerScreenShowsTheCameraInTheBoxAndDimsTheRest) {
    openScanner();
    const auto scene = screen();
    ASSERT_TRUE(scene);
    EXPECT_EQ(scene->width(), 640u);
    const auto inBox = scene->pixelAt(boxX, boxY);
    const auto around = scene->pixelAt(surroundX, surroundY);
    EXPECT_GT(inBox.red, 90) << "the camera's grey scene, clear in the box";
    EXPECT_LT(around.red, inBox.red * 0.6) << "the surround is dimmed";
    EXPECT_EQ(output("camera clear"), "the back camera sees nothing in particular\n");

    // The camera switch lies under the navigation bar at the top right; the bar hides it, so "Cancel" is
    // drawn on the bar's own colour. Every pixel of the switch's place outside the button's title is bar.
    const auto bar = scene->pixelAt(4, 4);
    for (std::size_t y = 0; y < 40; ++y) {
        for (std::size_t x = 500; x < 640; ++x)
            ASSERT_EQ(scene->pixelAt(x, y), bar) << "at " << x << ", " << y;
    }
}

TEST_F(ScannerCommandsTest, WithoutACameraTheOverlayLiesOnBlackAndCancelCloses) {
    auto profile = defaultDeviceProfile();
    profile.cameras.clear();
    useProfile(profile);
    openScanner();
    const auto scene = screen();
    ASSERT_TRUE(scene);
    EXPECT_EQ(scene->pixelAt(boxX, boxY), (CGImage::RGBA{0, 0, 0, 255}));
    const auto result = run("camera show " + picture(ZXing::BarcodeFormat::QRCode, "x"));
    EXPECT_EQ(result.status, 1);
    EXPECT_EQ(result.errors, "the device has no camera\n");
    EXPECT_EQ(run("camera switch").status, 1) << "no switch without a front camera";
    EXPECT_EQ(output("scan cancel"), "pressed \"Cancel\"\n");
    EXPECT_EQ(output("presented"), "nothing presented\n");
    EXPECT_FALSE(has(output("events"), "sound.played"));
}

TEST_F(ScannerCommandsTest, TheSwitchTurnsToTheFrontCameraAndBack) {
    openScanner();
    EXPECT_EQ(output("camera switch"), "the scanner uses the front camera\n");
    const auto file = picture(ZXing::BarcodeFormat::QRCode, "front");
    EXPECT_EQ(output("camera show " + file), "the front camera sees " + file + "\n");
    EXPECT_TRUE(has(output("alert"), "message: \"front\"\n"));
    output("choose Cancel");
    output("tap 1");
    EXPECT_EQ(output("camera switch"), "the scanner uses the front camera\n")
        << "a new scanner starts at the back";
    EXPECT_EQ(output("camera switch"), "the scanner uses the back camera\n");
}

TEST_F(ScannerCommandsTest, LandscapeWithoutLandscapeEnabledShowsTheLandscapeAlertInstead) {
    output("orientation 3");
    openScanner();
    EXPECT_TRUE(has(output("alert"), "message: \"Landscape mode is currently not supported.\"\n"));
    EXPECT_EQ(run("scan cancel").status, 1) << "no scanner";
}

TEST_F(ScannerCommandsTest, BadPicturesAndMalformedCommandsAreRefused) {
    openScanner();
    for (const auto* line : {"camera", "camera show", "camera look", "camera clear now", "scan", "scan stop"})
        EXPECT_EQ(run(line).status, 2) << line;
    const auto notPicture = root.root() / "notes.png";
    std::ofstream(notPicture) << "not a picture";
    const auto result = run("camera show " + notPicture.string());
    EXPECT_EQ(result.status, 1);
    EXPECT_TRUE(has(result.errors, "not a whole PNG or JPEG picture")) << result.errors;
    EXPECT_EQ(run("camera show " + (root.root() / "none.png").string()).status, 1);
    EXPECT_EQ(output("presented"), "UINavigationController\n") << "the scanner goes on";
}

} // namespace
