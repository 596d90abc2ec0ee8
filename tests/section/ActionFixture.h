#pragma once

#include "SectionFixture.h"
#include "SpringBoard/SpringBoardHost.h"
#include "UIKit/UIDevice.h"
#include "support/DeviceEvents.h"

#include <string>
#include <vector>

// A section on a device whose SpringBoard has only the applications a test installs. What SpringBoard is
// asked to do is read back from the device's event log, oldest first.
class ActionTest : public SectionTest {
  protected:
    ActionTest() { freshSpringBoard(); }
    ~ActionTest() override {
        SpringBoardHost::unregisterClasses();
        SpringBoardHost::reset();
        UIDevice::currentDevice().setUserInterfaceIdiom(UIUserInterfaceIdiomPhone);
    }

    // An empty SpringBoard, with a section created on it; the settings file stays.
    void freshSpringBoard(UIUserInterfaceIdiom idiom = UIUserInterfaceIdiomPhone) {
        section.reset();
        SpringBoardHost::unregisterClasses();
        SpringBoardHost::reset();
        SpringBoardHost::registerClasses();
        UIDevice::currentDevice().setUserInterfaceIdiom(idiom);
        resetSectionState();
        section = makeSection();
    }

    static void install(std::string bundleIdentifier, std::vector<std::string> staticItems = {},
                        std::vector<std::string> dynamicItems = {}, bool launchEnabled = true) {
        SpringBoardHost::installApplication(
            {std::move(bundleIdentifier), launchEnabled, std::move(staticItems), std::move(dynamicItems)});
    }

    static std::vector<std::string> springBoardEvents() { return loggedEvents("springboard."); }

    static std::string activated(std::string_view bundleIdentifier) {
        return "springboard.activateApplication bundle=" + std::string(bundleIdentifier);
    }
    static std::string activatedItem(std::string_view type, std::string_view bundleIdentifier) {
        return "springboard.activateShortcutItem type=" + std::string(type) +
               " bundle=" + std::string(bundleIdentifier);
    }
    static std::string opened(std::string_view url) { return "springboard.openURL url=" + std::string(url); }
};
