#include "AVFoundation/AVCaptureHost.h"

#include "AVFoundation/AVCaptureMetadataOutput.h"
#include "AVFoundation/AVCaptureSession.h"
#include "CoreGraphics/CGContext.h"
#include "Foundation/PlatformHost.h"

#include <algorithm>
#include <numbers>

namespace {

// How much of the frame a picture held up to the camera fills, at most, in either direction: a person aims
// a code into the scanner's box, which spans about two thirds of the screen's width.
constexpr CGFloat heldPictureShare = 0.6;

} // namespace

namespace AVCaptureHost {

void setCameras(Badge<PlatformHost> badge, const std::vector<AVCaptureDevicePosition>& positions) {
    AVCaptureDevice::setCameras(badge, positions);
}

void stopRunningSessions() {
    AVCaptureSession::stopRunningSessions(PlatformHost::badge());
}

std::shared_ptr<AVCaptureDevice> currentCamera() {
    if (auto capturing = AVCaptureDevice::capturingCamera(PlatformHost::badge()))
        return capturing;
    return AVCaptureDevice::defaultDeviceWithMediaType(AVMediaTypeVideo);
}

std::uint64_t framesReadCount() {
    return AVCaptureMetadataOutput::framesReadCount(PlatformHost::badge());
}

CGImageRef cameraFrameWithPicture(const CGImageRef& picture) {
    constexpr CGFloat frameWidth = AVCaptureDevice::frameWidth;
    constexpr CGFloat frameHeight = AVCaptureDevice::frameHeight;
    constexpr CGFloat grey = AVCaptureDevice::emptySceneGrey;
    if (!picture)
        return nullptr;
    if (picture->width() == AVCaptureDevice::frameWidth && picture->height() == AVCaptureDevice::frameHeight)
        return picture;
    const CGFloat width = CGFloat(picture->width());
    const CGFloat height = CGFloat(picture->height());
    // Turned a quarter, the picture's height lies along the frame's width.
    const CGFloat scale = heldPictureShare * std::min(frameWidth / height, frameHeight / width);
    const auto context = CGBitmapContextCreate(AVCaptureDevice::frameWidth, AVCaptureDevice::frameHeight);
    CGContextSetRGBFillColor(context, grey, grey, grey, 1);
    CGContextFillRect(context, CGRectMake(0, 0, frameWidth, frameHeight));
    CGContextTranslateCTM(context, frameWidth / 2, frameHeight / 2);
    // CoreGraphics' y grows upwards, so a positive angle turns anticlockwise as the frame shows it.
    CGContextRotateCTM(context, std::numbers::pi / 2);
    CGContextScaleCTM(context, scale, scale);
    CGContextDrawImage(context, CGRectMake(-width / 2, -height / 2, width, height), picture);
    return CGBitmapContextCreateImage(context);
}

void showPicture(AVCaptureDevice& camera, const CGImageRef& picture) {
    if (auto frame = cameraFrameWithPicture(picture))
        camera.setCurrentFrame(PlatformHost::badge(), std::move(frame));
}

void clearPicture(AVCaptureDevice& camera) {
    camera.setCurrentFrame(PlatformHost::badge(), nullptr);
}

} // namespace AVCaptureHost
