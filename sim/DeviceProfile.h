#pragma once

#include "AVFoundation/AVCaptureDevice.h"
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
// installed applications, the SpringBoard classes a plug-in cannot find, its accounts, its photo library and
// its cameras and its languages. Read from an XML property list; keys a profile leaves out keep the values
// below.
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
    bool mailAccount = true;
    bool messages = true;
    bool messageAttachments = true;
    // The social services with an account, by service type.
    std::vector<std::string> socialAccounts = {"com.apple.social.facebook", "com.apple.social.twitter",
                                               "com.apple.social.sinaweibo", "com.apple.social.tencentweibo"};
    bool photoLibrary = true;
    // The host folder whose photos and videos a fresh device's library starts with; empty for none.
    std::filesystem::path library = ORVANE_STAGED_LIBRARY;
    std::vector<AVCaptureDevicePosition> cameras = {AVCaptureDevicePositionBack,
                                                    AVCaptureDevicePositionFront};
    // The languages the profile gives the device, most wanted first; nothing leaves the device's own (English
    // on a fresh device).
    std::optional<std::vector<std::string>> languages;
};

// Where a device keeps its photos and videos.
inline constexpr std::string_view photoLibraryFolder = "/var/mobile/Media/DCIM/100APPLE";

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

// A fresh device's photo library: the media files of the profile's folder, copied once into the device's
// library folder. A library the device already has is left as the person left it.
void stockPhotoLibrary(const DeviceProfile& profile);
