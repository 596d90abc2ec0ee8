#include "AVFoundation/AVCaptureHost.h"
#include "AVFoundation/AVCaptureMetadataOutput.h"
#include "AVFoundation/AVCaptureVideoPreviewLayer.h"
#include "UIKit/UIImage.h"
#include "UIKit/UIKitHost.h"
#include "platform/CoreGraphics/GraphicsTestSupport.h"
#include "support/CodePictures.h"

TEST(CaptureDeviceTest, CamerasComeFromTheDeviceBackFirst) {
    AVCaptureHost::setCameras({AVCaptureDevicePositionFront, AVCaptureDevicePositionBack});
    const auto cameras = AVCaptureDevice::devicesWithMediaType(AVMediaTypeVideo);
    ASSERT_EQ(cameras.size(), 2u);
    EXPECT_EQ(cameras[0]->position(), AVCaptureDevicePositionBack);
    EXPECT_EQ(cameras[1]->position(), AVCaptureDevicePositionFront);
    EXPECT_EQ(AVCaptureDevice::defaultDeviceWithMediaType(AVMediaTypeVideo), cameras[0]);
    EXPECT_EQ(AVCaptureDevice::defaultDeviceWithMediaType(AVMediaTypeAudio), nullptr);

    AVCaptureHost::setCameras({AVCaptureDevicePositionFront});
    EXPECT_EQ(AVCaptureDevice::defaultDeviceWithMediaType(AVMediaTypeVideo)->position(),
              AVCaptureDevicePositionFront);
    AVCaptureHost::setCameras({});
    EXPECT_EQ(AVCaptureDevice::defaultDeviceWithMediaType(AVMediaTypeVideo), nullptr);
    EXPECT_EQ(AVCaptureHost::currentCamera(), nullptr);
    EXPECT_EQ(AVCaptureDeviceInput::deviceInputWithDevice(nullptr), nullptr);
}

namespace {

constexpr CGImage::RGBA emptyScene = {115, 115, 115, 255};

} // namespace

TEST(CaptureDeviceTest, APictureIsHeldUprightAtItsOwnSizeThenMovedByTheHand) {
    // Red along the picture's top edge, blue along its bottom.
    const auto picture = imageOf(200, 100, [](std::size_t, std::size_t y) {
        return y < 10 ? red : y >= 90 ? blue : white;
    });
    const auto scene = AVCaptureHost::sceneWithPicture(picture);
    // Sharpest, doubled, three quarters, half, tilted either way, sideways, and back to the sharpest.
    ASSERT_EQ(scene->viewCount(), 8u);
    for (std::size_t i = 0; i < scene->viewCount(); ++i) {
        ASSERT_EQ(scene->view(i)->width(), AVCaptureDevice::frameWidth);
        ASSERT_EQ(scene->view(i)->height(), AVCaptureDevice::frameHeight);
    }
    // Turned a quarter anticlockwise, the top edge lies on the left; at its own size the turned picture is
    // 100 wide, 200 high, on whole pixels: x from 910 to 1009, y from 440 to 639.
    const auto sharpest = scene->view(0);
    EXPECT_EQ(sharpest->pixelAt(910, 540), red);
    EXPECT_EQ(sharpest->pixelAt(919, 440), red);
    EXPECT_EQ(sharpest->pixelAt(920, 540), white);
    EXPECT_EQ(sharpest->pixelAt(1009, 639), blue);
    EXPECT_EQ(sharpest->pixelAt(909, 540), emptyScene);
    EXPECT_EQ(sharpest->pixelAt(1010, 540), emptyScene);
    EXPECT_EQ(sharpest->pixelAt(960, 440), white);
    EXPECT_EQ(sharpest->pixelAt(960, 439), emptyScene);
    EXPECT_EQ(sharpest->pixelAt(960, 640), emptyScene);
    EXPECT_EQ(AVCaptureHost::cameraFrameWithPicture(picture)->pixels()[540 * 1920 + 910],
              sharpest->pixels()[540 * 1920 + 910]);
    // Doubled pixel for pixel: 200 wide, the red edge 20 wide, still sharp.
    const auto close = scene->view(1);
    EXPECT_EQ(close->pixelAt(860, 540), red);
    EXPECT_EQ(close->pixelAt(879, 540), red);
    EXPECT_EQ(close->pixelAt(880, 540), white);
    EXPECT_EQ(close->pixelAt(859, 540), emptyScene);
    // Further away: 75 and then 50 wide.
    EXPECT_TRUE(isNear(scene->view(2)->pixelAt(925, 540), red, 8));
    EXPECT_TRUE(isNear(scene->view(2)->pixelAt(920, 540), emptyScene, 2));
    EXPECT_TRUE(isNear(scene->view(3)->pixelAt(937, 540), red, 8));
    EXPECT_TRUE(isNear(scene->view(3)->pixelAt(932, 540), emptyScene, 2));
    // Tilted 5 degrees anticlockwise, the red edge's top end (y 440) leans left of its bottom end (y 640).
    const auto tilted = scene->view(4);
    EXPECT_TRUE(isNear(tilted->pixelAt(905, 460), red, 8));
    EXPECT_TRUE(isNear(tilted->pixelAt(905, 620), emptyScene, 8));
    EXPECT_TRUE(isNear(scene->view(5)->pixelAt(905, 620), red, 8));
    // Held sideways, the picture is not turned: 200 wide, 100 high, the red edge on top (y from 490 to 499).
    const auto sideways = scene->view(6);
    EXPECT_EQ(sideways->pixelAt(860, 490), red);
    EXPECT_EQ(sideways->pixelAt(1059, 499), red);
    EXPECT_EQ(sideways->pixelAt(960, 500), white);
    EXPECT_EQ(sideways->pixelAt(960, 589), blue);
    EXPECT_EQ(sideways->pixelAt(859, 540), emptyScene);
    EXPECT_EQ(sideways->pixelAt(960, 590), emptyScene);
    // Then held still where it read best.
    EXPECT_EQ(scene->view(7)->pixelAt(910, 540), red);
    EXPECT_EQ(scene->view(7)->pixelAt(909, 540), emptyScene);

    // A picture the frame's size is the scene as it is, held still.
    const auto frame = solidImage(AVCaptureDevice::frameWidth, AVCaptureDevice::frameHeight, green);
    EXPECT_EQ(AVCaptureHost::cameraFrameWithPicture(frame), frame);
    EXPECT_EQ(AVCaptureHost::sceneWithPicture(frame)->viewCount(), 1u);
    EXPECT_EQ(AVCaptureHost::sceneWithPicture(nullptr), nullptr);
}

TEST(CaptureDeviceTest, APrintLargerThanTheFrameIsScaledDownAsLittleAsItMustThenSeenCloseUp) {
    // Red on the left two thirds of the print, blue on the rest; 3000 wide, turned it is 3000 high.
    const auto print = imageOf(3000, 1000, [](std::size_t x, std::size_t) { return x < 2000 ? red : blue; });
    const auto scene = AVCaptureHost::sceneWithPicture(print);
    // Sharpest, three quarters, half, tilted either way, four close-ups, sideways, back to the sharpest.
    ASSERT_EQ(scene->viewCount(), 11u);
    // Scaled to the frame's height exactly (0.36): 360 wide, 1080 high, nothing cut off. Turned
    // anticlockwise, the print's right end lies at the frame's top.
    const auto whole = scene->view(0);
    EXPECT_TRUE(isNear(whole->pixelAt(960, 1), blue, 8));
    EXPECT_TRUE(isNear(whole->pixelAt(960, 1078), red, 8));
    EXPECT_TRUE(isNear(whole->pixelAt(782, 540), red, 8));
    EXPECT_TRUE(isNear(whole->pixelAt(776, 540), emptyScene, 2));
    // Close up at its own size, 1080 pixels of the print at a time, overlapping: the first close-up shows its
    // left end, all red, its 1000 pixel height across the frame's middle; the third the place where blue
    // starts, 360 pixels below the frame's top; the last its right end.
    const auto first = scene->view(5);
    EXPECT_EQ(first->pixelAt(960, 0), red);
    EXPECT_EQ(first->pixelAt(960, 1079), red);
    EXPECT_EQ(first->pixelAt(460, 540), red);
    EXPECT_EQ(first->pixelAt(1459, 540), red);
    EXPECT_EQ(first->pixelAt(459, 540), emptyScene);
    EXPECT_EQ(first->pixelAt(1460, 540), emptyScene);
    EXPECT_EQ(scene->view(6)->pixelAt(960, 0), red);
    EXPECT_EQ(scene->view(7)->pixelAt(960, 358), blue);
    EXPECT_EQ(scene->view(7)->pixelAt(960, 362), red);
    EXPECT_EQ(scene->view(8)->pixelAt(960, 540), blue);
    // Sideways, scaled to the frame's width (0.64): 1920 wide, 640 high, red on the left two thirds.
    EXPECT_TRUE(isNear(scene->view(9)->pixelAt(1270, 540), red, 8));
    EXPECT_TRUE(isNear(scene->view(9)->pixelAt(1290, 540), blue, 8));
    EXPECT_TRUE(isNear(scene->view(9)->pixelAt(960, 215), emptyScene, 2));
    EXPECT_EQ(scene->view(10)->pixelAt(960, 1), whole->pixelAt(960, 1));
}

TEST(CaptureSessionTest, TakesOneCameraInputAndLinksItsOutputs) {
    AVCaptureHost::setCameras({AVCaptureDevicePositionBack, AVCaptureDevicePositionFront});
    const auto cameras = AVCaptureDevice::devicesWithMediaType(AVMediaTypeVideo);
    const auto back = AVCaptureDeviceInput::deviceInputWithDevice(cameras[0]);
    const auto front = AVCaptureDeviceInput::deviceInputWithDevice(cameras[1]);
    const auto session = AVCaptureSession::make();
    session->addInput(back);
    EXPECT_FALSE(session->canAddInput(front));
    session->addInput(front);
    session->addInput(back);
    EXPECT_EQ(session->inputs().size(), 1u);

    session->beginConfiguration();
    session->removeInput(back);
    session->addInput(front);
    EXPECT_TRUE(session->isConfiguring());
    session->commitConfiguration();
    EXPECT_FALSE(session->isConfiguring());
    EXPECT_EQ(session->camera(), cameras[1]);

    const auto output = AVCaptureMetadataOutput::make();
    session->addOutput(output);
    EXPECT_EQ(output->session(), session);
    EXPECT_FALSE(AVCaptureSession::make()->canAddOutput(output));
    session->removeOutput(output);
    EXPECT_EQ(output->session(), nullptr);
}

TEST(CaptureSessionTest, TheHostPointsTheCameraARunningSessionUses) {
    AVCaptureHost::setCameras({AVCaptureDevicePositionBack, AVCaptureDevicePositionFront});
    const auto cameras = AVCaptureDevice::devicesWithMediaType(AVMediaTypeVideo);
    EXPECT_EQ(AVCaptureHost::currentCamera(), cameras[0]);
    const auto session = AVCaptureSession::make();
    session->addInput(AVCaptureDeviceInput::deviceInputWithDevice(cameras[1]));
    session->startRunning();
    session->startRunning();
    EXPECT_TRUE(session->isRunning());
    EXPECT_EQ(AVCaptureHost::currentCamera(), cameras[1]);
    session->stopRunning();
    EXPECT_EQ(AVCaptureHost::currentCamera(), cameras[0]);
}

TEST(CaptureSessionTest, ThePreviewShowsTheCameraTurnedToItsOrientationOrBlack) {
    UIKitHost::setScale(UIScreen::mainScreen(), 1);
    AVCaptureHost::setCameras({AVCaptureDevicePositionBack});
    const auto camera = AVCaptureDevice::defaultDeviceWithMediaType(AVMediaTypeVideo);
    const auto session = AVCaptureSession::make();
    const auto preview = AVCaptureVideoPreviewLayer::layerWithSession(session);
    preview->setVideoGravity(AVLayerVideoGravityResizeAspectFill);
    preview->setVideoGravity("sideways");
    EXPECT_EQ(preview->videoGravity(), AVLayerVideoGravityResizeAspectFill);
    preview->setFrame(CGRectMake(0, 0, 90, 160));
    const auto render = [&] {
        UIGraphicsBeginImageContextWithOptions({90, 160}, false, 1);
        preview->renderInContext(UIGraphicsGetCurrentContext());
        const auto image = UIGraphicsGetImageFromCurrentImageContext();
        UIGraphicsEndImageContext();
        return image->CGImage();
    };
    EXPECT_TRUE(isNear(render()->pixelAt(45, 80), black));

    session->addInput(AVCaptureDeviceInput::deviceInputWithDevice(camera));
    // Red top half and blue bottom half, held upright: upright again in a portrait preview.
    AVCaptureHost::showPicture(
        *camera, imageOf(1000, 1000, [](std::size_t, std::size_t y) { return y < 500 ? red : blue; }));
    preview->connection()->setVideoOrientation(AVCaptureVideoOrientationPortrait);
    auto shown = render();
    EXPECT_TRUE(isNear(shown->pixelAt(45, 70), red, 8));
    EXPECT_TRUE(isNear(shown->pixelAt(45, 90), blue, 8));
    // In landscape right the camera's own picture shows unturned: the top lies on the left.
    preview->connection()->setVideoOrientation(AVCaptureVideoOrientationLandscapeRight);
    shown = render();
    EXPECT_TRUE(isNear(shown->pixelAt(35, 80), red, 8));
    EXPECT_TRUE(isNear(shown->pixelAt(55, 80), blue, 8));
    UIKitHost::setScale(UIScreen::mainScreen(), 2);
}
