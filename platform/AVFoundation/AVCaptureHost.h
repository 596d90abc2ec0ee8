#pragma once

#include "AVFoundation/AVCaptureDevice.h"
#include "objc/Badge.h"

#include <cstdint>
#include <memory>
#include <vector>

// For hosts: the device's cameras and what the person shows them. Built into OrvanePlatformHost.
namespace AVCaptureHost {

// The cameras the device has, in place of the ones it had (an empty list: no camera at all).
void setCameras(Badge<PlatformHost>, const std::vector<AVCaptureDevicePosition>& positions);

// The device goes away: every session that runs stops, whoever holds it.
void stopRunningSessions();

// The camera a person would point: the one a running session captures from, else the back camera, else the
// first; nothing without cameras.
std::shared_ptr<AVCaptureDevice> currentCamera();

// The camera sees `picture`, held upright in front of a phone held upright. A picture of exactly the frame's
// size is the whole scene as the camera sees it; any other is turned a quarter anticlockwise (the sensor lies
// across a phone held upright), scaled to fill most of the frame, and centred on a grey background.
void showPicture(AVCaptureDevice& camera, const CGImageRef& picture);
// The camera sees the empty grey scene again.
void clearPicture(AVCaptureDevice& camera);

// How many frames the metadata outputs of this process have finished reading, with or without a code in
// them; a result found in a frame is on its way to the main run loop once the count has passed that frame.
std::uint64_t framesReadCount();

// The frame `picture` gives, as showPicture places it.
CGImageRef cameraFrameWithPicture(const CGImageRef& picture);

} // namespace AVCaptureHost
