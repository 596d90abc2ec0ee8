#include "AVFoundation/AVCaptureDevice.h"

#include "AVFoundation/AVCaptureInput.h"
#include "AVFoundation/AVCaptureReading.h"
#include "AVFoundation/AVCaptureSession.h"
#include "AVFoundation/AVCaptureSessionRegistry.h"
#include "CoreGraphics/CGContext.h"

#include <algorithm>
#include <set>

namespace {

CGImageRef emptyFrame() {
    static const CGImageRef frame = [] {
        const auto context = CGBitmapContextCreate(AVCaptureDevice::frameWidth, AVCaptureDevice::frameHeight);
        constexpr CGFloat grey = AVCaptureDevice::emptySceneGrey;
        CGContextSetRGBFillColor(context, grey, grey, grey, 1);
        CGContextFillRect(context,
                          CGRectMake(0, 0, AVCaptureDevice::frameWidth, AVCaptureDevice::frameHeight));
        return CGBitmapContextCreateImage(context);
    }();
    return frame;
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
      _frame(emptyFrame()) {}

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

void stopAll() {
    const auto sessions = runningSessions();
    for (auto* session : sessions)
        session->stopRunning();
}

std::shared_ptr<AVCaptureDevice> capturingCamera() {
    for (const auto* session : runningSessions())
        if (auto camera = session->camera())
            return camera;
    return nullptr;
}

} // namespace AVCaptureSessionRegistry

void AVCaptureDevice::setCameras(Badge<AVCaptureHost>,
                                 const std::vector<AVCaptureDevicePosition>& positions) {
    auto& list = cameras();
    list.clear();
    for (const auto position : positions)
        list.push_back(make(position));
    std::stable_sort(list.begin(), list.end(),
                     [](const auto& a, const auto& b) { return a->position() < b->position(); });
}

void AVCaptureDevice::setScene(Badge<AVCaptureHost>, std::shared_ptr<const AVCaptureScene> scene) {
    _scene = std::move(scene);
    _view = 0;
    _frame = _scene ? _scene->view(0) : emptyFrame();
    _framesOfView = 0;
    _framesReadBeforeView = AVCaptureReading::framesRead();
}

const CGImageRef& AVCaptureDevice::frameToDeliver() {
    if (!_scene || _view + 1 >= _scene->viewCount())
        return _frame;
    if (++_framesOfView > framesPerViewAtLeast &&
        AVCaptureReading::framesRead() >= _framesReadBeforeView + AVCaptureReading::framesForAWholeLook()) {
        _frame = _scene->view(++_view);
        _framesOfView = 1;
        _framesReadBeforeView = AVCaptureReading::framesRead();
    }
    return _frame;
}

std::shared_ptr<AVCaptureDevice> AVCaptureDevice::capturingCamera(Badge<AVCaptureHost>) {
    return AVCaptureSessionRegistry::capturingCamera();
}
