#include "ScannerFixture.h"

#include "Foundation/NSRunLoop.h"
#include "UIKit/UIImagePickerController.h"
#include "UIKit/UINavigationController.h"
#include "support/CodePictures.h"
#include "support/PresentationFixture.h"

namespace {

using namespace std::chrono_literals;

// Something the metadata output may report that is not a code.
class FaceObject : public AVMetadataObject {
    OBJC_OBJECT(FaceObject, AVMetadataObject)
  protected:
    FaceObject() : AVMetadataObject("face", CGRectZero) {}
};

std::shared_ptr<AVMetadataObject> code(std::optional<std::string> text) {
    return AVMetadataMachineReadableCodeObject::make(std::string(AVMetadataObjectTypeQRCode), std::move(text),
                                                     std::vector<CGPoint>{});
}

std::vector<CGRect> cornerFrames(const UIView& root) {
    std::vector<CGRect> frames;
    for (const auto& subview : root.subviews())
        if (auto* image = dynamic_cast<UIImageView*>(subview.get());
            image && subview->frame().size.width == 16)
            frames.push_back(subview->frame());
    return frames;
}

} // namespace

using ReaderControllerTest = ScannerTest;

TEST_F(ReaderControllerTest, LaysOutThe320By568ScreenExactly) {
    makeReader();
    EXPECT_EQ(reader->navigationItem()->title(), "Scan Code");
    EXPECT_EQ(reader->navigationItem()->rightBarButtonItem()->title(), "Cancel");
    EXPECT_EQ(reader->cancelButton()->titleForState(UIControlStateNormal), "Close");
    EXPECT_TRUE(reader->cancelButton()->isHidden());
    EXPECT_EQ(reader->lblTip()->frame(), CGRectMake(0, 376, 320, 15));
    EXPECT_EQ(reader->lblTip()->text(), "Put the Barcode or QR code into the box");
    EXPECT_EQ(cornerFrames(*reader->view()),
              (std::vector<CGRect>{CGRectMake(49, 142, 16, 16), CGRectMake(255, 142, 16, 16),
                                   CGRectMake(49, 350, 16, 16), CGRectMake(255, 350, 16, 16)}));
    EXPECT_EQ(reader->cameraView()->frame(), CGRectMake(0, 0, 320, 568));
    EXPECT_EQ(reader->cancelButton()->frame().size.height, 0);
    EXPECT_EQ(reader->cancelButton()->frame().origin.y, 568);
    EXPECT_EQ(reader->switchCameraButton()->frame(), CGRectMake(250, 0, 70, 50));
    EXPECT_TRUE(rectNear(reader->cameraView()->innerViewRect(), CGRectMake(50, 144.333, 220, 220)));
    // The scan line sweeps 320 x 12 from the box's top to 6 points above its bottom.
    EXPECT_TRUE(reader->imgLine()->isAnimating());
    EXPECT_TRUE(rectNear(reader->imgLine()->frame(), CGRectMake(0, 358.333, 320, 12)));
    EXPECT_LT(reader->imgLine()->presentationFrame().origin.y, 150);
    // The preview lies beneath the overlay, over the whole view.
    EXPECT_EQ(reader->cameraView()->layer()->sublayers().front(), reader->previewLayer());
    EXPECT_EQ(reader->previewLayer()->frame(), CGRectMake(0, 0, 320, 568));
    EXPECT_EQ(reader->previewLayer()->videoGravity(), AVLayerVideoGravityResizeAspectFill);
    EXPECT_EQ(reader->previewLayer()->connection()->videoOrientation(), AVCaptureVideoOrientationPortrait);
    EXPECT_NE(reader->beepPlayer(), nullptr);
}

TEST_F(ReaderControllerTest, ScanningRunsTheSessionWithOneTimer) {
    makeReader();
    EXPECT_FALSE(reader->session()->isRunning());
    EXPECT_EQ(reader->timerScan(), nullptr);
    reader->startScanning();
    const std::weak_ptr<NSTimer> first = reader->timerScan();
    reader->startScanning();
    EXPECT_TRUE(reader->session()->isRunning());
    EXPECT_FALSE(first.lock() && first.lock()->isValid());
    EXPECT_TRUE(reader->timerScan()->isValid());
    reader->stopScanning();
    EXPECT_FALSE(reader->session()->isRunning());
    EXPECT_EQ(reader->timerScan(), nullptr);
    EXPECT_EQ(reader->metadataOutput()->metadataObjectTypes().size(), 11u);
}

TEST_F(ReaderControllerTest, TheFirstCodeIsReportedOnceWithTheBeepOnlyForACompletion) {
    makeReader();
    const auto delegate = std::make_shared<ReaderDelegate>();
    reader->setDelegate(delegate);
    reader->startScanning();
    auto& connection = reader->metadataOutput()->connection();
    reader->captureOutputDidOutputMetadataObjects(*reader->metadataOutput(), {FaceObject::make()},
                                                  connection);
    EXPECT_TRUE(reader->session()->isRunning()) << "no code: scanning goes on";
    reader->captureOutputDidOutputMetadataObjects(
        *reader->metadataOutput(), {FaceObject::make(), code("first"), code("second")}, connection);
    EXPECT_EQ(delegate->results, (std::vector<std::optional<std::string>>{"first"}));
    EXPECT_FALSE(reader->session()->isRunning());
    EXPECT_EQ(reader->timerScan(), nullptr);
    EXPECT_TRUE(loggedEvents("sound.played").empty()) << "no completion, no beep";

    std::vector<std::optional<std::string>> completed;
    reader->setCompletionWithBlock(
        [&](const std::optional<std::string>& result) { completed.push_back(result); });
    reader->setDelegate({});
    reader->captureOutputDidOutputMetadataObjects(*reader->metadataOutput(), {code(std::nullopt)},
                                                  connection);
    EXPECT_EQ(completed, (std::vector<std::optional<std::string>>{std::nullopt}));
    EXPECT_EQ(loggedEvents("sound.played"),
              std::vector<std::string>{
                  "sound.played path=/Library/Caddex/Bundles/OrvaneCC.bundle/beep.wav duration=0.150"});
}

TEST_F(ReaderControllerTest, BothCancelControlsStopAndReportNothing) {
    makeReader();
    const auto delegate = std::make_shared<ReaderDelegate>();
    reader->setDelegate(delegate);
    std::vector<std::optional<std::string>> completed;
    reader->setCompletionWithBlock(
        [&](const std::optional<std::string>& result) { completed.push_back(result); });
    reader->startScanning();
    reader->navigationItem()->rightBarButtonItem()->press();
    EXPECT_FALSE(reader->session()->isRunning());
    reader->startScanning();
    reader->cancelButton()->sendActionsForControlEvents(UIControlEventTouchUpInside);
    EXPECT_FALSE(reader->session()->isRunning());
    EXPECT_EQ(delegate->cancels, 2);
    EXPECT_EQ(completed, (std::vector<std::optional<std::string>>{std::nullopt, std::nullopt}));
    EXPECT_TRUE(loggedEvents("sound.played").empty());
}

TEST_F(ReaderControllerTest, TheSwitchAlternatesCamerasReplacingTheFirstInput) {
    makeReader();
    const auto& session = *reader->session();
    EXPECT_EQ(session.camera()->position(), AVCaptureDevicePositionBack);
    reader->switchCameraButton()->touchesBegan();
    reader->switchCameraButton()->touchesEnded();
    EXPECT_EQ(session.camera()->position(), AVCaptureDevicePositionFront);
    reader->switchDeviceInput();
    EXPECT_EQ(session.camera()->position(), AVCaptureDevicePositionBack);
    EXPECT_EQ(session.inputs().size(), 1u);
}

TEST_F(ReaderControllerTest, WithoutCamerasTheOverlayShowsOnBlackAndCancelWorks) {
    AVCaptureHost::setCameras({});
    makeReader();
    EXPECT_EQ(reader->session(), nullptr);
    EXPECT_EQ(reader->previewLayer(), nullptr);
    EXPECT_EQ(reader->switchCameraButton(), nullptr);
    EXPECT_TRUE(rectNear(reader->cameraView()->innerViewRect(), CGRectMake(50, 144.333, 220, 220)));
    const auto delegate = std::make_shared<ReaderDelegate>();
    reader->setDelegate(delegate);
    reader->startScanning();
    reader->switchDeviceInput();
    reader->clickLeftBarButton();
    EXPECT_EQ(delegate->cancels, 1);

    AVCaptureHost::setCameras({AVCaptureDevicePositionBack});
    makeReader();
    EXPECT_EQ(reader->switchCameraButton(), nullptr) << "no front camera, no switch";
    reader->switchDeviceInput();
    EXPECT_EQ(reader->session()->camera()->position(), AVCaptureDevicePositionBack);
}

TEST_F(ReaderControllerTest, MissingSoundAndImagesLeaveThemOut) {
    std::filesystem::remove(device.hostPath("/Library/Caddex/Bundles/OrvaneCC.bundle/beep.wav"));
    std::filesystem::remove_all(device.hostPath("/System/Library/CoreServices/SpringBoard.app"));
    makeReader();
    EXPECT_EQ(reader->beepPlayer(), nullptr);
    EXPECT_EQ(reader->imgLine()->image(), nullptr);
    std::optional<std::string> completed;
    reader->setCompletionWithBlock([&](const std::optional<std::string>& result) { completed = result; });
    reader->captureOutputDidOutputMetadataObjects(*reader->metadataOutput(), {code("silent")},
                                                  reader->metadataOutput()->connection());
    EXPECT_EQ(completed, "silent");
    EXPECT_TRUE(loggedEvents("sound.played").empty());
}

TEST_F(ReaderControllerTest, RotationRedrawsTheBoxAndTurnsThePreview) {
    for (const auto& [interface, video] : {std::pair{0, 2}, {1, 1}, {2, 2}, {3, 3}, {4, 4}, {9, 2}})
        EXPECT_EQ(QRCodeReaderViewController::videoOrientationFromInterfaceOrientation(interface), video)
            << interface;
    makeReader();
    reader->rotateToInterfaceOrientation(UIInterfaceOrientationLandscapeRight);
    EXPECT_EQ(reader->previewLayer()->connection()->videoOrientation(),
              AVCaptureVideoOrientationLandscapeRight);
    EXPECT_EQ(reader->previewLayer()->frame(), CGRectMake(0, 0, 568, 320));
    EXPECT_TRUE(rectNear(reader->cameraView()->innerViewRect(), CGRectMake(100, 65, 220, 220)));
    EXPECT_EQ(reader->lblTip()->frame(), CGRectMake(0, 376, 320, 15)) << "the tip does not follow rotation";
}

// The picture path: the photo library's picker over the scanner, then the detector on the picked picture.
TEST_F(ReaderControllerTest, APictureFromThePhotoLibraryIsSearchedForQRCodesOnly) {
    PresentationFixture host;
    const auto presenter = UIViewController::make();
    const auto delegate = std::make_shared<ReaderDelegate>();
    makeReader();
    reader->setDelegate(delegate);
    const auto navigation = UINavigationController::make(reader);
    presenter->presentViewController(navigation, true, nullptr);
    const auto openPicker = [&] {
        reader->clickRightBarButton();
        const auto picker = std::dynamic_pointer_cast<UIImagePickerController>(host.shown().back());
        EXPECT_NE(picker, nullptr);
        return picker;
    };
    const auto picture = [](ZXing::BarcodeFormat format, const std::string& text) {
        return UIImage::imageWithCGImage(CodePictures::code(format, text), 1, UIImageOrientationUp);
    };

    const auto picker = openPicker();
    ASSERT_NE(picker, nullptr);
    ASSERT_NE(reader->detector(), nullptr);
    EXPECT_EQ(picker->delegate(), reader);
    EXPECT_EQ(picker->presentingViewController(), navigation);
    EXPECT_EQ(picker->sourceType(), UIImagePickerControllerSourceTypePhotoLibrary);
    EXPECT_FALSE(picker->allowsEditing());
    EXPECT_FALSE(reader->session()->isRunning()) << "the picker covers the scanner";
    ASSERT_TRUE(
        PersonAnswers::pickPhoto(*picker, picture(ZXing::BarcodeFormat::EAN13, "4006381333931"), "ean.jpg"));
    EXPECT_EQ(host.shown(), (std::vector<std::shared_ptr<UIViewController>>{navigation}))
        << "the picker is dismissed; the scanner stays open";
    EXPECT_TRUE(delegate->results.empty()) << "only QR codes are found in pictures";
    EXPECT_TRUE(reader->session()->isRunning());

    ASSERT_TRUE(
        PersonAnswers::pickPhoto(*openPicker(), picture(ZXing::BarcodeFormat::QRCode, "picked"), "qr.jpg"));
    EXPECT_EQ(delegate->results, (std::vector<std::optional<std::string>>{"picked"}));

    // A picture the person edited wins over the original.
    const auto edited = openPicker();
    reader->imagePickerControllerDidFinishPickingMediaWithInfo(
        edited, UIImagePickerMediaInfo{{std::string(UIImagePickerControllerEditedImage),
                                        picture(ZXing::BarcodeFormat::QRCode, "edited")},
                                       {std::string(UIImagePickerControllerOriginalImage),
                                        picture(ZXing::BarcodeFormat::QRCode, "original")}});
    EXPECT_EQ(delegate->results.back(), "edited");
    EXPECT_EQ(host.shown().size(), 1u);
    presenter->dismissViewControllerAnimated(true, nullptr);
}

TEST_F(ReaderControllerTest, PresentedInANavigationControllerItReadsWhatTheCameraSees) {
    PresentationFixture host;
    const auto presenter = UIViewController::make();
    const auto delegate = std::make_shared<ReaderDelegate>();
    reader = QRCodeReaderViewController::readerWithCancelButtonTitle("Cancel");
    reader->setDelegate(delegate);
    reader->setCompletionWithBlock([](const std::optional<std::string>&) {});
    const auto navigation = UINavigationController::make(reader);
    presenter->presentViewController(navigation, true, nullptr);
    EXPECT_EQ(navigation->visibleViewController(), reader);
    EXPECT_TRUE(reader->session()->isRunning());
    AVCaptureHost::showPicture(*AVCaptureHost::currentCamera(),
                               CodePictures::code(ZXing::BarcodeFormat::QRCode, "https://example.org/x"));
    EXPECT_TRUE(NSRunLoop::mainRunLoop().runUntil([&] { return !delegate->results.empty(); }, 20s));
    EXPECT_EQ(delegate->results, (std::vector<std::optional<std::string>>{"https://example.org/x"}));
    EXPECT_FALSE(reader->session()->isRunning());
    EXPECT_EQ(loggedEvents("sound.played").size(), 1u);
    presenter->dismissViewControllerAnimated(true, nullptr);
    EXPECT_EQ(reader->timerScan(), nullptr);
}
