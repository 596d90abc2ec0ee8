#pragma once

#include "objc/objc-api.h"

#include "CoreGraphics/CGGeometry.h"
#include "CoreGraphics/CGImage.h"
#include "Foundation/NSObject.h"
#include "objc/Badge.h"

#include <cstdint>
#include <memory>
#include <string>
#include <string_view>
#include <vector>

class AVCaptureHost;

inline constexpr std::string_view AVMediaTypeVideo = "vide";
inline constexpr std::string_view AVMediaTypeAudio = "soun";

// What a camera sees over time: views one after another, each a frameWidth x frameHeight picture; the last
// one stays.
class ORVANE_EXPORT AVCaptureScene {
  public:
    virtual ~AVCaptureScene() = default;
    // At least one.
    virtual std::size_t viewCount() const = 0;
    virtual CGImageRef view(std::size_t index) const = 0;
};

enum AVCaptureDevicePosition {
    AVCaptureDevicePositionUnspecified = 0,
    AVCaptureDevicePositionBack = 1,
    AVCaptureDevicePositionFront = 2,
};

// One of the device's cameras. It sees whatever the person holds in front of it (AVCaptureHost); while a
// running session captures from it, frames of that scene flow at its frame rate.
class ORVANE_EXPORT AVCaptureDevice : public NSObject {
    OBJC_OBJECT(AVCaptureDevice, NSObject)
    static constexpr std::size_t frameWidth = 1920;
    static constexpr std::size_t frameHeight = 1080;
    static constexpr int framesPerSecond = 30;
    // The grey of the scene a camera sees when nothing is held up to it.
    static constexpr CGFloat emptySceneGrey = 0.45;

    // The back camera, or the first camera there is; nothing on a device without cameras or for another
    // media type.
    static std::shared_ptr<AVCaptureDevice> defaultDeviceWithMediaType(std::string_view mediaType);
    // Every camera, back before front.
    static std::vector<std::shared_ptr<AVCaptureDevice>> devicesWithMediaType(std::string_view mediaType);

    AVCaptureDevicePosition position() const { return _position; }
    const std::string& uniqueID() const { return _uniqueID; }
    const std::string& localizedName() const { return _localizedName; }
    bool hasMediaType(std::string_view mediaType) const { return mediaType == AVMediaTypeVideo; }

    // What the camera sees now: a frameWidth x frameHeight picture, never nothing.
    const CGImageRef& currentFrame() const { return _frame; }

    // For hosts (AVCaptureHost): the cameras the device has, in place of the ones it had, back before front;
    // what a camera sees from now on, starting with the scene's first view (nothing: the empty scene); the
    // camera of the first running session that has one.
    static void setCameras(Badge<AVCaptureHost>, const std::vector<AVCaptureDevicePosition>& positions);
    void setScene(Badge<AVCaptureHost>, std::shared_ptr<const AVCaptureScene> scene);
    static std::shared_ptr<AVCaptureDevice> capturingCamera(Badge<AVCaptureHost>);

    // A scene's views are each shown for at least this many frames (a tenth of a second, a hand's pace).
    static constexpr int framesPerViewAtLeast = 3;

  protected:
    explicit AVCaptureDevice(AVCaptureDevicePosition position);

  private:
    friend class AVCaptureSession;
    // The frame a running session delivers now. The scene moves on to its next view once the current one has
    // been shown for framesPerViewAtLeast frames and the metadata outputs have looked at it in every way:
    // however slowly they read, every view is read whole, and frames that come meanwhile are dropped.
    const CGImageRef& frameToDeliver();

    AVCaptureDevicePosition _position;
    std::string _uniqueID;
    std::string _localizedName;
    std::shared_ptr<const AVCaptureScene> _scene;
    std::size_t _view = 0;
    CGImageRef _frame;
    int _framesOfView = 0;
    std::uint64_t _framesReadBeforeView = 0;
};
