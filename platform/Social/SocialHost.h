#pragma once

#include "objc/Badge.h"

#include <string>
#include <vector>

// The hosts' side of the device's social accounts, as its profile says. The post sheet's setter of them takes
// this class's badge.
class SocialHost {
  public:
    SocialHost() = delete;

    // The service types that have an account on the device, in place of the ones that had.
    static void setAccounts(std::vector<std::string> serviceTypes);

  private:
    static Badge<SocialHost> badge() { return {}; }
};
