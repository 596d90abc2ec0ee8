#pragma once

#include "objc/objc-api.h"

#include "objc/Badge.h"

#include <filesystem>
#include <string_view>

class DeviceHost;

// The folder that plays the device's file system. Only hosts choose it; plug-ins use device paths such as
// "/var/mobile/Library/Preferences/..." unchanged and every platform call resolves them below the root.
namespace DeviceRoot {

ORVANE_EXPORT void set(Badge<DeviceHost>, const std::filesystem::path& root);
ORVANE_EXPORT const std::filesystem::path& current();

// The host path of a device path: ".." never climbs out of the root, and symbolic links on the way are
// followed as the device would follow them, inside the root. A path that cannot be resolved (a loop of links,
// a folder that may not be searched) comes back below `unresolvable`, where nothing can be opened or made.
ORVANE_EXPORT std::filesystem::path resolve(std::string_view devicePath);
inline const std::filesystem::path unresolvable = "/dev/null";

// Paths resolve with openat2(RESOLVE_IN_ROOT) where the kernel has it, else (valgrind, some sandboxes and
// older kernels answer ENOSYS) by a walk, one component at a time with O_NOFOLLOW, that keeps the same
// guarantee. Tests force the walk to show that it does.
ORVANE_EXPORT void forceComponentWalk(Badge<DeviceHost>, bool forced);

} // namespace DeviceRoot
