#pragma once

#include "SectionFixture.h"
#include "SpringBoard/SpringBoardHost.h"
#include "UIKit/UIDevice.h"

#include <string>
#include <vector>

// A section on a device whose SpringBoard has only the applications a test installs. What SpringBoard is
// asked to do is read back as lines, oldest first.
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

    static std::vector<std::string> springBoardEvents() { return SpringBoardHost::actions(); }

    static std::string activated(std::string_view bundleIdentifier) {
        return "activateApplication " + std::string(bundleIdentifier);
    }
    static std::string activatedItem(std::string_view type, std::string_view bundleIdentifier) {
        return "activateShortcutItem " + std::string(type) + " fromApplication " +
               std::string(bundleIdentifier);
    }
    static std::string opened(std::string_view url) { return "openURL " + std::string(url); }
};
