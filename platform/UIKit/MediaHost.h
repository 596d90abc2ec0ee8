#pragma once

#include "objc/Badge.h"

#include <string>
#include <vector>

// The hosts' side of the device's cameras, photo library and accounts for composing (the simulator and the
// tests): what the device has, as its profile says.
namespace MediaHost {

void setPhotoLibraryAvailable(Badge<PlatformHost>, bool available);
// Whether any camera can take a picture; the device's cameras themselves belong to AVFoundation.
void setCameraAvailable(Badge<PlatformHost>, bool available);

} // namespace MediaHost
