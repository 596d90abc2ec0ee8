#pragma once

#include "objc/objc-api.h"

#include "objc/Badge.h"

#include <string>
#include <string_view>
#include <vector>

// The hosts' side of the device's social accounts, as its profile says.
namespace SocialHost {

// The service types that have an account on the device, in place of the ones that had.
ORVANE_EXPORT void setAccounts(Badge<PlatformHost>, std::vector<std::string> serviceTypes);

} // namespace SocialHost
