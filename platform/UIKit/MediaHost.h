#pragma once

#include "objc/objc-api.h"

#include "objc/Badge.h"

#include <string>
#include <vector>

// The hosts' side of the device's cameras, photo library and accounts for composing (the simulator and the
// tests): what the device has, as its profile says.
namespace MediaHost {

ORVANE_EXPORT void setPhotoLibraryAvailable(Badge<PlatformHost>, bool available);
// Whether any camera can take a picture; the device's cameras themselves belong to AVFoundation.
ORVANE_EXPORT void setCameraAvailable(Badge<PlatformHost>, bool available);

} // namespace MediaHost
