#pragma once

#include "CoreGraphics/CGGeometry.h"
#include "SpringBoard/SpringBoardHost.h"
#include "UIKit/UIDevice.h"

#include <cstdint>
#include <filesystem>
#include <optional>
#include <set>
#include <span>
#include <string>
#include <string_view>
#include <vector>

// What a simulated device is: its screen, Control Center, lock state, the application in front, the
// installed applications and the SpringBoard classes a plug-in cannot find. Read from an XML property list;
// keys a profile leaves out keep the values below.
struct DeviceProfile {
    std::string name = "iPhone";
    UIUserInterfaceIdiom idiom = UIUserInterfaceIdiomPhone;
    CGSize screenSize = {320, 568};
    CGFloat screenScale = 2;
    CGFloat controlCenterWidth = 320;
    bool locked = false;
    int frontMostAppOrientation = 1;
    std::vector<SpringBoardHost::InstalledApplication> applications;
    std::set<std::string, std::less<>> missingClasses;
};

// The profile in the property list; nothing, with the reason in `error`, when it is not a valid profile.
std::optional<DeviceProfile> parseDeviceProfile(std::span<const std::uint8_t> bytes, std::string& error);
// The same for a file on the host; the reason names the file.
std::optional<DeviceProfile> readDeviceProfile(const std::filesystem::path& file, std::string& error);

// The iPhone compiled into the simulator (sim/profiles/iphone.plist).
const DeviceProfile& defaultDeviceProfile();
std::string_view embeddedDefaultProfile();

// Makes the process that device: the main screen, the current device and fresh SpringBoard objects, with
// SpringBoard's classes registered except the missing ones.
void applyDeviceProfile(const DeviceProfile& profile);
