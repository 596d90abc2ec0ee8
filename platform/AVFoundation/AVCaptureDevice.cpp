#include "AVFoundation/AVCaptureDevice.h"

#include "AVFoundation/AVCaptureHost.h"
#include "AVFoundation/AVCaptureInput.h"
#include "AVFoundation/AVCaptureSession.h"
#include "AVFoundation/AVCaptureSessionRegistry.h"
#include "CoreGraphics/CGContext.h"

#include <algorithm>
#include <numbers>
#include <set>

// The host's side of a camera: what it sees.
class AVCaptureHostAccess {
  public:
    static void setFrame(AVCaptureDevice& camera, CGImageRef frame) { camera._frame = std::move(frame); }
};

namespace {

constexpr CGFloat sceneGrey = 0.45;
// How much of the frame a picture held up to the camera fills, at most, in either direction.
constexpr CGFloat heldPictureShare = 0.9;

CGImageRef emptyScene() {
    static const CGImageRef scene = [] {
        const auto context = CGBitmapContextCreate(AVCaptureDevice::frameWidth, AVCaptureDevice::frameHeight);
        CGContextSetRGBFillColor(context, sceneGrey, sceneGrey, sceneGrey, 1);
        CGContextFillRect(context,
                          CGRectMake(0, 0, AVCaptureDevice::frameWidth, AVCaptureDevice::frameHeight));
        return CGBitmapContextCreateImage(context);
    }();
    return scene;
}

std::vector<std::shared_ptr<AVCaptureDevice>>& cameras() {
    static std::vector<std::shared_ptr<AVCaptureDevice>> list = {
        AVCaptureDevice::make(AVCaptureDevicePositionBack),
        AVCaptureDevice::make(AVCaptureDevicePositionFront)};
    return list;
}

std::set<AVCaptureSession*>& runningSessions() {
    static std::set<AVCaptureSession*> sessions;
    return sessions;
}

} // namespace

AVCaptureDevice::AVCaptureDevice(AVCaptureDevicePosition position)
    : _position(position), _uniqueID(position == AVCaptureDevicePositionFront
                                         ? "com.apple.avfoundation.avcapturedevice.built-in_video:1"
                                         : "com.apple.avfoundation.avcapturedevice.built-in_video:0"),
      _localizedName(position == AVCaptureDevicePositionFront ? "Front Camera" : "Back Camera"),
      _frame(emptyScene()) {}

std::shared_ptr<AVCaptureDevice> AVCaptureDevice::defaultDeviceWithMediaType(std::string_view mediaType) {
    const auto devices = devicesWithMediaType(mediaType);
    return devices.empty() ? nullptr : devices.front();
}

std::vector<std::shared_ptr<AVCaptureDevice>>
AVCaptureDevice::devicesWithMediaType(std::string_view mediaType) {
    if (mediaType != AVMediaTypeVideo)
        return {};
    return cameras();
}

std::shared_ptr<AVCaptureDeviceInput>
AVCaptureDeviceInput::deviceInputWithDevice(std::shared_ptr<AVCaptureDevice> device) {
    return device ? make(std::move(device)) : nullptr;
}

namespace AVCaptureSessionRegistry {

void add(AVCaptureSession& session) {
    runningSessions().insert(&session);
}

void remove(AVCaptureSession& session) {
    runningSessions().erase(&session);
}

std::shared_ptr<AVCaptureDevice> capturingCamera() {
    for (const auto* session : runningSessions())
        if (auto camera = session->camera())
            return camera;
    return nullptr;
}

} // namespace AVCaptureSessionRegistry

namespace AVCaptureHost {

void setCameras(Badge<PlatformHost>, const std::vector<AVCaptureDevicePosition>& positions) {
    auto& list = cameras();
    list.clear();
    for (const auto position : positions)
        list.push_back(AVCaptureDevice::make(position));
    std::stable_sort(list.begin(), list.end(),
                     [](const auto& a, const auto& b) { return a->position() < b->position(); });
}

void stopRunningSessions() {
    const auto sessions = runningSessions();
    for (auto* session : sessions)
        session->stopRunning();
}

std::shared_ptr<AVCaptureDevice> currentCamera() {
    if (auto capturing = AVCaptureSessionRegistry::capturingCamera())
        return capturing;
    return AVCaptureDevice::defaultDeviceWithMediaType(AVMediaTypeVideo);
}

CGImageRef cameraFrameWithPicture(const CGImageRef& picture) {
    constexpr CGFloat frameWidth = AVCaptureDevice::frameWidth;
    constexpr CGFloat frameHeight = AVCaptureDevice::frameHeight;
    if (!picture)
        return nullptr;
    if (picture->width() == AVCaptureDevice::frameWidth && picture->height() == AVCaptureDevice::frameHeight)
        return picture;
    const CGFloat width = CGFloat(picture->width());
    const CGFloat height = CGFloat(picture->height());
    // Turned a quarter, the picture's height lies along the frame's width.
    const CGFloat scale = heldPictureShare * std::min(frameWidth / height, frameHeight / width);
    const auto context = CGBitmapContextCreate(AVCaptureDevice::frameWidth, AVCaptureDevice::frameHeight);
    CGContextSetRGBFillColor(context, sceneGrey, sceneGrey, sceneGrey, 1);
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
        AVCaptureHostAccess::setFrame(camera, std::move(frame));
}

void clearPicture(AVCaptureDevice& camera) {
    AVCaptureHostAccess::setFrame(camera, emptyScene());
}

} // namespace AVCaptureHost
