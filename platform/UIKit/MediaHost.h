#pragma once

#include "objc/Badge.h"

// The hosts' side of the device's photo library and cameras for the picker (the simulator and the tests):
// what the device has, as its profile says. The picker's setters of them take this class's badge.
class MediaHost {
  public:
    MediaHost() = delete;

    static void setPhotoLibraryAvailable(bool available);
    // Whether any camera can take a picture; the device's cameras themselves belong to AVFoundation.
    static void setCameraAvailable(bool available);

  private:
    static Badge<MediaHost> badge() { return {}; }
};
