#pragma once

#include "CoreFoundation/CFPropertyList.h"

#include <optional>

// The hosts' side of the device's clock: a fixed moment, or the system clock again with nothing.
namespace DeviceClock {

void set(std::optional<NSDate> now);

} // namespace DeviceClock
