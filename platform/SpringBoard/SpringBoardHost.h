#pragma once

#include "CoreGraphics/CGGeometry.h"
#include "objc/Badge.h"

#include <functional>
#include <set>
#include <span>
#include <string>
#include <string_view>
#include <vector>

class SBControlCenterController;
class SpringBoard;

// The host's side of SpringBoard: it sets up the device's SpringBoard objects and makes their classes known
// by name. What SpringBoard is asked to do goes to the device's event log. The setters of SpringBoard's
// objects take its badge, so that they are set from here alone.
class SpringBoardHost {
  public:
    SpringBoardHost() = delete;

    // The classes a plug-in looks up by name: "SpringBoard", "SBIconViewMap", "SBUIController",
    // "SBApplicationController", "SBIconController", "SBControlCenterController".
    static std::span<const std::string_view> classNames();

    // Registers the classes of classNames() with their class methods, leaving out the missing ones, and makes
    // SpringBoard the process's application object.
    static void registerClasses(const std::set<std::string, std::less<>>& missing = {});
    static void unregisterClasses();

    // Fresh SpringBoard objects (nothing installed, unlocked, Control Center closed).
    static void reset();

    struct InstalledApplication {
        std::string bundleIdentifier;
        bool launchEnabled = true;
        std::vector<std::string> staticShortcutItemTypes;
        std::vector<std::string> dynamicShortcutItemTypes;
    };
    // Puts the application in the registry and its icon on the home screen.
    static void installApplication(const InstalledApplication& application);
    // Takes the application's icon off the home screen; SpringBoard's registry still knows the application.
    static void removeIcon(std::string_view bundleIdentifier);

    static void setLocked(SpringBoard& springBoard, bool locked);
    // 1 and 2: portrait; 3 and 4: landscape; 0: unknown.
    static void setFrontMostAppOrientation(SpringBoard& springBoard, int orientation);
    static void setVisible(SBControlCenterController& controlCenter, bool visible);
    // What closes Control Center on a dismissAnimated call (the section loader's disappearance).
    static void setDismissHandler(SBControlCenterController& controlCenter, std::function<void()> handler);
    static void setWidth(SBControlCenterController& controlCenter, CGFloat width);

  private:
    static Badge<SpringBoardHost> badge() { return {}; }
};
