#pragma once

#include "objc/objc-api.h"

#include <cstdint>

// The system's notification interface under the Darwin notify center: a post that answers whether it left
// the process. Observers in this process hear it in any case.
inline constexpr std::uint32_t NOTIFY_STATUS_OK = 0;
inline constexpr std::uint32_t NOTIFY_STATUS_FAILED = 1000000;

ORVANE_EXPORT std::uint32_t notify_post(const char* name);
