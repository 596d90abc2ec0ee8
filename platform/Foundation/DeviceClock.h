#pragma once

#include "objc/objc-api.h"

#include "CoreFoundation/CFPropertyList.h"
#include "objc/Badge.h"

#include <optional>

class FoundationHost;

// The hosts' side of the device's clock: a fixed moment, or the system clock again with nothing.
namespace DeviceClock {

ORVANE_EXPORT void set(Badge<FoundationHost>, std::optional<NSDate> now);

} // namespace DeviceClock
