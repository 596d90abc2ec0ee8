#pragma once

#include "objc/objc-api.h"

#include "AVFoundation/AVCaptureDevice.h"
#include "Foundation/NSObject.h"

#include <memory>

// A source of media for a capture session.
class ORVANE_EXPORT AVCaptureInput : public NSObject {
    OBJC_OBJECT(AVCaptureInput, NSObject)
  protected:
    AVCaptureInput() = default;
};

class ORVANE_EXPORT AVCaptureDeviceInput : public AVCaptureInput {
    OBJC_OBJECT(AVCaptureDeviceInput, AVCaptureInput)
    // Nothing for no device.
    static std::shared_ptr<AVCaptureDeviceInput>
    deviceInputWithDevice(std::shared_ptr<AVCaptureDevice> device);

    const std::shared_ptr<AVCaptureDevice>& device() const { return _device; }

  protected:
    explicit AVCaptureDeviceInput(std::shared_ptr<AVCaptureDevice> device) : _device(std::move(device)) {}

  private:
    std::shared_ptr<AVCaptureDevice> _device;
};
