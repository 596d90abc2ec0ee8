#pragma once

#include <filesystem>
#include <string_view>

// The folder that plays the device's file system. Only hosts choose it; plug-ins use device paths such as
// "/var/mobile/Library/Preferences/..." unchanged and every platform call resolves them below the root.
namespace DeviceRoot {

void set(const std::filesystem::path& root);
const std::filesystem::path& current();

// A device path below the root. ".." never climbs out of the root.
std::filesystem::path resolve(std::string_view devicePath);

} // namespace DeviceRoot
