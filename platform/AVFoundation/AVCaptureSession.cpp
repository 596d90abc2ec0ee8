#include "AVFoundation/AVCaptureSession.h"

#include "AVFoundation/AVCaptureSessionRegistry.h"
#include "Foundation/NSTimer.h"

#include <algorithm>

namespace {

template <typename T>
bool contains(const std::vector<std::shared_ptr<T>>& list, const std::shared_ptr<T>& item) {
    return std::find(list.begin(), list.end(), item) != list.end();
}

template <typename T> void erase(std::vector<std::shared_ptr<T>>& list, const std::shared_ptr<T>& item) {
    list.erase(std::remove(list.begin(), list.end(), item), list.end());
}

bool isCameraInput(const std::shared_ptr<AVCaptureInput>& input) {
    return std::dynamic_pointer_cast<AVCaptureDeviceInput>(input) != nullptr;
}

} // namespace

AVCaptureSession::~AVCaptureSession() {
    stopRunning();
}

bool AVCaptureSession::canAddInput(const std::shared_ptr<AVCaptureInput>& input) const {
    if (!input || contains(_inputs, input))
        return false;
    return !isCameraInput(input) || std::none_of(_inputs.begin(), _inputs.end(), isCameraInput);
}

void AVCaptureSession::addInput(const std::shared_ptr<AVCaptureInput>& input) {
    if (canAddInput(input))
        _inputs.push_back(input);
}

void AVCaptureSession::removeInput(const std::shared_ptr<AVCaptureInput>& input) {
    erase(_inputs, input);
}

bool AVCaptureSession::canAddOutput(const std::shared_ptr<AVCaptureOutput>& output) const {
    return output && !output->session() && !contains(_outputs, output);
}

void AVCaptureSession::addOutput(const std::shared_ptr<AVCaptureOutput>& output) {
    if (!canAddOutput(output))
        return;
    _outputs.push_back(output);
    output->_session = std::static_pointer_cast<AVCaptureSession>(shared_from_this());
}

void AVCaptureSession::removeOutput(const std::shared_ptr<AVCaptureOutput>& output) {
    if (!contains(_outputs, output))
        return;
    erase(_outputs, output);
    output->_session.reset();
}

void AVCaptureSession::beginConfiguration() {
    ++_configurationDepth;
}

void AVCaptureSession::commitConfiguration() {
    _configurationDepth = std::max(_configurationDepth - 1, 0);
}

void AVCaptureSession::startRunning() {
    if (_running)
        return;
    _running = true;
    ++_runNumber;
    AVCaptureSessionRegistry::add(*this);
    std::weak_ptr<AVCaptureSession> self = std::static_pointer_cast<AVCaptureSession>(shared_from_this());
    _frameTimer = NSTimer::scheduledTimerWithTimeInterval(1.0 / AVCaptureDevice::framesPerSecond, true,
                                                          [self](NSTimer&) {
                                                              if (const auto session = self.lock())
                                                                  session->deliverFrame();
                                                          });
}

void AVCaptureSession::stopRunning() {
    if (!_running)
        return;
    _running = false;
    AVCaptureSessionRegistry::remove(*this);
    _frameTimer->invalidate();
    _frameTimer.reset();
}

std::shared_ptr<AVCaptureDevice> AVCaptureSession::camera() const {
    for (const auto& input : _inputs)
        if (const auto cameraInput = std::dynamic_pointer_cast<AVCaptureDeviceInput>(input))
            return cameraInput->device();
    return nullptr;
}

void AVCaptureSession::deliverFrame() {
    const auto source = camera();
    // A session being reconfigured delivers nothing until the commit.
    if (isConfiguring() || !source)
        return;
    const auto outputs = _outputs;
    const auto frame = source->frameToDeliver();
    for (const auto& output : outputs)
        output->captureFrame(frame);
}

AVCaptureOutput::AVCaptureOutput() : _connection(AVCaptureConnection::make()) {}

void AVCaptureSession::stopRunningSessions(Badge<AVCaptureHost>) {
    AVCaptureSessionRegistry::stopAll();
}
