#include "ActionFixture.h"

#include "AVFoundation/AVCaptureHost.h"
#include "SpringBoard/SBControlCenterController.h"
#include "SpringBoard/SpringBoard.h"
#include "SpringBoard/SpringBoardHost.h"
#include "UIKit/UINavigationController.h"
#include "UIKit/UIPasteboard.h"
#include "section/ComposeSheets.h"
#include "section/MediaPicking.h"
#include "section/Presentation.h"
#include "section/ScannerFlow.h"

#include <fstream>

namespace {

using Events = std::vector<std::string>;

const std::string exampleURL = "https://example.org/x";

std::string resultAlert(std::string_view text) {
    return "style=alert title=\"Scan Result\" message=" + std::string(text) +
           " actions=\"Copy (default); Open (default); Cancel (cancel, preferred)\"";
}

class ScannerFlowTest : public ActionTest {
  protected:
    ScannerFlowTest() {
        AVCaptureHost::setCameras({AVCaptureDevicePositionBack, AVCaptureDevicePositionFront});
    }
    ~ScannerFlowTest() override { closePresentedController(); }

    // The scanner over Control Center, opened by a tap on SYS-Photo with "Scan" as its default action.
    std::shared_ptr<QRCodeReaderViewController> openScanner() {
        controlCenterOpen();
        tap("SYS-Photo", "Scan");
        const auto navigation =
            std::dynamic_pointer_cast<UINavigationController>(sectionState().presentedController);
        return navigation
                   ? std::dynamic_pointer_cast<QRCodeReaderViewController>(navigation->topViewController())
                   : nullptr;
    }

    // The camera's output finds one code, as it reports it on the main run loop.
    static void codeRead(QRCodeReaderViewController& reader, std::optional<std::string> text,
                         std::string type = std::string(AVMetadataObjectTypeQRCode)) {
        const auto output = reader.metadataOutput();
        reader.captureOutputDidOutputMetadataObjects(
            *output,
            {AVMetadataMachineReadableCodeObject::make(std::move(type), std::move(text),
                                                       std::vector<CGPoint>{})},
            output->connection());
    }

    static std::shared_ptr<UIAlertController> slotAlert() {
        return std::dynamic_pointer_cast<UIAlertController>(sectionState().presentedController);
    }
};

TEST_F(ScannerFlowTest, ATapOnScanPresentsTheScannerInANavigationControllerWithoutTheWarmUp) {
    const auto reader = openScanner();
    ASSERT_TRUE(reader);
    EXPECT_EQ(reader->delegate(), std::static_pointer_cast<QRCodeReaderDelegate>(section));
    EXPECT_TRUE(reader->session()->isRunning());
    EXPECT_EQ(
        loggedEvents("uikit."),
        Events{"uikit.presented controller=UINavigationController presenter=UIViewController animated=true"})
        << "no warm-up sheet";
}

TEST_F(ScannerFlowTest, AReadCodeBeepsClosesTheScannerAndOffersTheTextWithCancelPreferred) {
    const auto reader = openScanner();
    ASSERT_TRUE(reader);
    clearEvents();
    codeRead(*reader, exampleURL);
    EXPECT_FALSE(reader->session()->isRunning());
    const auto events = loggedEvents();
    ASSERT_EQ(events.size(), 3u) << testing::PrintToString(events);
    EXPECT_TRUE(events[0].starts_with("sound.played path=/Library/Caddex/Bundles/OrvaneCC.bundle/beep.wav"));
    EXPECT_EQ(events[1],
              "uikit.dismissed controller=UINavigationController presenter=UIViewController animated=true");
    EXPECT_EQ(events[2], presented(resultAlert(exampleURL)));
    EXPECT_EQ(shownAlert(), exampleURL) << "the text itself, not localised";

    clearEvents();
    ASSERT_TRUE(PersonAnswers::chooseActionWithTitle(*slotAlert(), "Open"));
    EXPECT_EQ(springBoardEvents(), Events{opened(exampleURL)});
    EXPECT_EQ(sectionState().presentedController, nullptr);
    EXPECT_TRUE(SBControlCenterController::sharedInstance()->isVisible()) << "CC_DISMISS is off by default";
}

TEST_F(ScannerFlowTest, DigitsFromABarcodeStillGetOpenWhichThenOpensNothing) {
    write("CC_DISMISS", CFPropertyList::boolean(true));
    const auto reader = openScanner();
    ASSERT_TRUE(reader);
    codeRead(*reader, "4006381333931", std::string(AVMetadataObjectTypeEAN13Code));
    EXPECT_EQ(loggedEvents("uikit.presented").back(), presented(resultAlert("4006381333931")));
    clearEvents();
    ASSERT_TRUE(PersonAnswers::chooseActionWithTitle(*slotAlert(), "Open"));
    EXPECT_EQ(springBoardEvents(), Events{dismissedControlCenter()}) << "Control Center goes, nothing opens";
    EXPECT_EQ(sectionState().presentedController, nullptr);
}

TEST_F(ScannerFlowTest, CopyPutsTheTextOnThePasteboardAndDismissesControlCenterOnlyWhenAskedAndOpen) {
    for (const bool ccDismiss : {false, true}) {
        write("CC_DISMISS", CFPropertyList::boolean(ccDismiss));
        const auto reader = openScanner();
        ASSERT_TRUE(reader);
        codeRead(*reader, "a text with spaces");
        clearEvents();
        ASSERT_TRUE(PersonAnswers::chooseActionWithTitle(*slotAlert(), "Copy"));
        EXPECT_EQ(loggedEvents("pasteboard."), Events{"pasteboard.string string=\"a text with spaces\""});
        EXPECT_EQ(UIPasteboard::generalPasteboard().string(), "a text with spaces");
        EXPECT_EQ(springBoardEvents(), ccDismiss ? Events{dismissedControlCenter()} : Events{}) << ccDismiss;
        EXPECT_EQ(sectionState().presentedController, nullptr);
        SpringBoardHost::setVisible(*SBControlCenterController::sharedInstance(), true);
    }
    // Control Center already gone: nothing to dismiss.
    const auto reader = openScanner();
    codeRead(*reader, "hidden");
    SpringBoardHost::setVisible(*SBControlCenterController::sharedInstance(), false);
    clearEvents();
    ASSERT_TRUE(PersonAnswers::chooseActionWithTitle(*slotAlert(), "Copy"));
    EXPECT_EQ(springBoardEvents(), Events{});
}

TEST_F(ScannerFlowTest, CancelClosesTheAlertAndNeverDismissesControlCenter) {
    write("CC_DISMISS", CFPropertyList::boolean(true));
    const auto reader = openScanner();
    codeRead(*reader, exampleURL);
    clearEvents();
    ASSERT_TRUE(PersonAnswers::chooseActionWithTitle(*slotAlert(), "Cancel"));
    EXPECT_EQ(loggedEvents("uikit."), Events{dismissed(resultAlert(exampleURL))});
    EXPECT_EQ(springBoardEvents(), Events{});
    EXPECT_EQ(sectionState().presentedController, nullptr);
}

TEST_F(ScannerFlowTest, AnEmptyOrAbsentResultAndACancelledScanCloseTheScannerAndShowNothing) {
    for (const auto& result : {std::optional<std::string>(""), std::optional<std::string>()}) {
        const auto reader = openScanner();
        ASSERT_TRUE(reader);
        clearEvents();
        codeRead(*reader, result);
        EXPECT_EQ(loggedEvents("uikit."), Events{"uikit.dismissed controller=UINavigationController "
                                                 "presenter=UIViewController animated=true"});
        EXPECT_EQ(sectionState().presentedController, nullptr);
        EXPECT_TRUE(presentation.shown().empty());
    }
    const auto reader = openScanner();
    ASSERT_TRUE(reader);
    clearEvents();
    reader->navigationItem()->rightBarButtonItem()->press();
    EXPECT_EQ(loggedEvents(), Events{"uikit.dismissed controller=UINavigationController "
                                     "presenter=UIViewController animated=true"})
        << "no beep, no alert";
    EXPECT_EQ(sectionState().presentedController, nullptr);
    EXPECT_FALSE(reader->session()->isRunning());
}

TEST_F(ScannerFlowTest, NotUprightWithoutLandscapeTheLandscapeAlertComesInsteadOfTheScanner) {
    SpringBoardHost::setFrontMostAppOrientation(*SpringBoard::sharedApplication(), 3);
    EXPECT_EQ(openScanner(), nullptr);
    EXPECT_EQ(shownAlert(), "Landscape mode is currently not supported.");
    ASSERT_TRUE(PersonAnswers::chooseActionWithTitle(*slotAlert(), "OK"));
    write("LANDSCAPE_ENABLED", CFPropertyList::boolean(true));
    EXPECT_NE(openScanner(), nullptr);
}

TEST_F(ScannerFlowTest, OnlyTheTitlesAreLocalisedTheTextStaysAsScanned) {
    std::ofstream(device.hostPath(std::string(sectionBundlePath) + "/en.lproj/Localizable.strings"))
        << "\"Scan Result\" = \"Ergebnis\";\n\"Copy\" = \"Kopieren\";\n\"Open\" = \"Öffnen\";\n"
           "\"Cancel\" = \"Abbrechen\";\n\"Copy \" = \"not this\";\n";
    freshSpringBoard();
    const auto reader = openScanner();
    ASSERT_TRUE(reader);
    codeRead(*reader, "Copy");
    const auto alert = slotAlert();
    ASSERT_TRUE(alert);
    EXPECT_EQ(alert->title(), "Ergebnis");
    EXPECT_EQ(alert->message(), "Copy");
    std::vector<std::string> titles;
    for (const auto& action : alert->actions())
        titles.push_back(action->title());
    EXPECT_EQ(titles, (std::vector<std::string>{"Kopieren", "Öffnen", "Abbrechen"}));
}

} // namespace
