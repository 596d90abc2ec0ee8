#pragma once

#include <set>
#include <span>
#include <string>
#include <string_view>
#include <vector>

// The host's side of SpringBoard: it sets up the device's SpringBoard objects and makes their classes known
// by name. What SpringBoard is asked to do goes to the device's event log.
namespace SpringBoardHost {

// The classes a plug-in looks up by name: "SpringBoard", "SBIconViewMap", "SBUIController",
// "SBApplicationController", "SBIconController", "SBControlCenterController".
std::span<const std::string_view> classNames();

// Registers the classes of classNames() with their class methods, leaving out the missing ones, and makes
// SpringBoard the process's application object.
void registerClasses(const std::set<std::string, std::less<>>& missing = {});
void unregisterClasses();

// Fresh SpringBoard objects (nothing installed, unlocked, Control Center closed).
void reset();

struct InstalledApplication {
    std::string bundleIdentifier;
    bool launchEnabled = true;
    std::vector<std::string> staticShortcutItemTypes;
    std::vector<std::string> dynamicShortcutItemTypes;
};
// Puts the application in the registry and its icon on the home screen.
void installApplication(const InstalledApplication& application);
// Takes the application's icon off the home screen; SpringBoard's registry still knows the application.
void removeIcon(std::string_view bundleIdentifier);

} // namespace SpringBoardHost
