#pragma once

#include "objc/Badge.h"

#include <filesystem>
#include <string_view>

// The hosts' side of the device services: the folder that plays the device, how paths resolve below it, and
// how this process is named in the event log. What only this class may set takes its badge.
class DeviceHost {
  public:
    DeviceHost() = delete;

    static void setRoot(const std::filesystem::path& root);
    // Resolves paths by the walk, one component at a time, even where the kernel has openat2.
    static void forceComponentWalk(bool forced);
    // "sim", "SpringBoard", "Settings"; the program's name until set.
    static void setProcessRole(std::string_view role);

  private:
    static Badge<DeviceHost> badge() { return {}; }
};
