#pragma once

#include "AVFoundation/AVCaptureDevice.h"
#include "objc/Badge.h"

#include <cstdint>
#include <memory>
#include <vector>

// For hosts: the device's cameras and what the person shows them. Built into OrvanePlatformHost; what only
// it may set of the cameras, the sessions and the metadata outputs takes its badge.
class AVCaptureHost {
  public:
    AVCaptureHost() = delete;

    // The cameras the device has, in place of the ones it had (an empty list: no camera at all).
    static void setCameras(const std::vector<AVCaptureDevicePosition>& positions);

    // The device goes away: every session that runs stops, whoever holds it.
    static void stopRunningSessions();

    // The camera a person would point: the one a running session captures from, else the back camera, else
    // the first; nothing without cameras.
    static std::shared_ptr<AVCaptureDevice> currentCamera();

    // What a camera sees of `picture` held upright in front of a phone held upright, over time. A picture of
    // exactly the frame's size is the whole scene as the camera sees it, held still. Any other is turned a
    // quarter anticlockwise (the sensor lies across a phone held upright), centred on a grey background, and
    // moved as a person's hand moves it until the phone reads it: first where it is sharpest (at its own
    // pixel size where that fits the frame, else scaled down only as far as it must be), then twice as large
    // for a picture that fits so (each pixel doubled, not blurred), then at three quarters and half that
    // size, tilted 5 degrees either way, for a picture larger than the frame at its own size in up to 4 x 4
    // places spread over it, then with the phone held sideways (the picture as its file holds it, as large as
    // fits, up to its own size), and finally back where it was sharpest, held still. Nothing for no picture.
    static std::shared_ptr<const AVCaptureScene> sceneWithPicture(const CGImageRef& picture);

    // The camera sees `picture`: the scene above, from its first view on.
    static void showPicture(AVCaptureDevice& camera, const CGImageRef& picture);
    // The camera sees the empty grey scene again.
    static void clearPicture(AVCaptureDevice& camera);

    // How many frames the metadata outputs of this process have finished reading, with or without a code in
    // them; a result found in a frame is on its way to the main run loop once the count has passed that
    // frame.
    static std::uint64_t framesReadCount();
    // How far that count moves, from a view's first frame, before the view has been read in every way.
    static std::uint64_t framesForAWholeLook();

    // The first frame of the scene `picture` gives.
    static CGImageRef cameraFrameWithPicture(const CGImageRef& picture);

  private:
    static Badge<AVCaptureHost> badge() { return {}; }
};
