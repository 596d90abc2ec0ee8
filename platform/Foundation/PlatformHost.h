#pragma once

#include "objc/objc-api.h"

#include "objc/Badge.h"

// The hosts: the simulator, the tests and the benchmarks, which link OrvanePlatformHost. What only they may
// set in the platform (the device root, the screen, SpringBoard's state, the presentation host) takes the
// badge made here; plug-ins never include this header. The badge is made in the hosts' library, which no
// plug-in links, so that a plug-in that makes one imports it and the module check names it.
class ORVANE_EXPORT PlatformHost {
  public:
    static Badge<PlatformHost> badge();
};
