#pragma once

#include "objc/Badge.h"

// The hosts: the simulator, the tests and the benchmarks, which link OrvanePlatformHost. What only they may
// set in the platform (the device root, the screen, SpringBoard's state, the presentation host) takes the
// badge made here; plug-ins never include this header.
class PlatformHost {
  public:
    static Badge<PlatformHost> badge() { return {}; }
};
