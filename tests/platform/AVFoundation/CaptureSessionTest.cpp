#include "AVFoundation/AVCaptureHost.h"
#include "AVFoundation/AVCaptureMetadataOutput.h"
#include "AVFoundation/AVCaptureVideoPreviewLayer.h"
#include "Foundation/PlatformHost.h"
#include "UIKit/UIImage.h"
#include "platform/CoreGraphics/GraphicsTestSupport.h"
#include "support/CodePictures.h"

TEST(CaptureDeviceTest, CamerasComeFromTheDeviceBackFirst) {
    AVCaptureHost::setCameras(PlatformHost::badge(),
                              {AVCaptureDevicePositionFront, AVCaptureDevicePositionBack});
    const auto cameras = AVCaptureDevice::devicesWithMediaType(AVMediaTypeVideo);
    ASSERT_EQ(cameras.size(), 2u);
    EXPECT_EQ(cameras[0]->position(), AVCaptureDevicePositionBack);
    EXPECT_EQ(cameras[1]->position(), AVCaptureDevicePositionFront);
    EXPECT_EQ(AVCaptureDevice::defaultDeviceWithMediaType(AVMediaTypeVideo), cameras[0]);
    EXPECT_EQ(AVCaptureDevice::defaultDeviceWithMediaType(AVMediaTypeAudio), nullptr);

    AVCaptureHost::setCameras(PlatformHost::badge(), {AVCaptureDevicePositionFront});
    EXPECT_EQ(AVCaptureDevice::defaultDeviceWithMediaType(AVMediaTypeVideo)->position(),
              AVCaptureDevicePositionFront);
    AVCaptureHost::setCameras(PlatformHost::badge(), {});
    EXPECT_EQ(AVCaptureDevice::defaultDeviceWithMediaType(AVMediaTypeVideo), nullptr);
    EXPECT_EQ(AVCaptureHost::currentCamera(), nullptr);
    EXPECT_EQ(AVCaptureDeviceInput::deviceInputWithDevice(nullptr), nullptr);
}

TEST(CaptureDeviceTest, APictureIsHeldUprightToAPhoneHeldUpright) {
    // Red along the picture's top edge, blue along its bottom.
    const auto picture = imageOf(200, 100, [](std::size_t, std::size_t y) {
        return y < 10 ? red : y >= 90 ? blue : white;
    });
    const auto frame = AVCaptureHost::cameraFrameWithPicture(picture);
    ASSERT_EQ(frame->width(), AVCaptureDevice::frameWidth);
    ASSERT_EQ(frame->height(), AVCaptureDevice::frameHeight);
    // Turned a quarter anticlockwise: the top edge lies on the left. The turned picture is 100 wide, 200
    // high, scaled by 0.6 * 1080 / 200 to fill most of the scanner's box: 324 wide.
    EXPECT_TRUE(isNear(frame->pixelAt(960 - 155, 540), red, 8));
    EXPECT_TRUE(isNear(frame->pixelAt(960 + 155, 540), blue, 8));
    EXPECT_TRUE(isNear(frame->pixelAt(960, 540), white, 8));
    EXPECT_TRUE(isNear(frame->pixelAt(960 - 200, 540), {115, 115, 115, 255}, 2));
    // A picture the frame's size is the scene as it is.
    const auto scene = solidImage(AVCaptureDevice::frameWidth, AVCaptureDevice::frameHeight, green);
    EXPECT_EQ(AVCaptureHost::cameraFrameWithPicture(scene), scene);
}

TEST(CaptureSessionTest, TakesOneCameraInputAndLinksItsOutputs) {
    AVCaptureHost::setCameras(PlatformHost::badge(),
                              {AVCaptureDevicePositionBack, AVCaptureDevicePositionFront});
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
    AVCaptureHost::setCameras(PlatformHost::badge(),
                              {AVCaptureDevicePositionBack, AVCaptureDevicePositionFront});
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
    UIScreen::mainScreen().setScale(PlatformHost::badge(), 1);
    AVCaptureHost::setCameras(PlatformHost::badge(), {AVCaptureDevicePositionBack});
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
        *camera, imageOf(100, 100, [](std::size_t, std::size_t y) { return y < 50 ? red : blue; }));
    preview->connection()->setVideoOrientation(AVCaptureVideoOrientationPortrait);
    auto shown = render();
    EXPECT_TRUE(isNear(shown->pixelAt(45, 70), red, 8));
    EXPECT_TRUE(isNear(shown->pixelAt(45, 90), blue, 8));
    // In landscape right the camera's own picture shows unturned: the top lies on the left.
    preview->connection()->setVideoOrientation(AVCaptureVideoOrientationLandscapeRight);
    shown = render();
    EXPECT_TRUE(isNear(shown->pixelAt(35, 80), red, 8));
    EXPECT_TRUE(isNear(shown->pixelAt(55, 80), blue, 8));
    UIScreen::mainScreen().setScale(PlatformHost::badge(), 2);
}
