#pragma once

#include "Foundation/NSObject.h"
#include "UIKit/UIViewController.h"
#include "common/FunctionCatalogue.h"
#include "objc/runtime.h"

#include <memory>
#include <string_view>

class OrvaneCCSection;
class SpringBoard;
class SBApplicationController;
class SBControlCenterController;
class SBIconController;
class SBIconModel;

// The section plug-in's module-level state: one copy per process, shared by every section instance.
// SpringBoard's objects are borrowed: SpringBoard owns them.
struct SectionState {
    std::weak_ptr<SpringBoard> springBoardApp;
    std::weak_ptr<SBIconModel> iconModel;
    std::weak_ptr<SBControlCenterController> controlCenterController;
    std::weak_ptr<UIViewController> controlCenterViewController;
    std::weak_ptr<SBApplicationController> applicationController;
    std::weak_ptr<SBIconController> iconController;

    // The row width of the last layout, in points.
    double lastSectionWidth = 0;
    // The section created last.
    std::weak_ptr<OrvaneCCSection> currentSection;

    // What the section shows over Control Center, one at a time.
    std::shared_ptr<UIViewController> presentedController;
    // The presentation warm-up ran in this appearance.
    bool warmUpDone = false;
    // What a picked photo or video is for; none when no picker is open.
    PickerMode pickerMode = PickerMode::none;
};

SectionState& sectionState();
// Back to the state at load, for tests (the settings state is reset separately).
void resetSectionState();

// What a class method of a SpringBoard class answers; nothing when SpringBoard lacks the class.
template <typename Object>
std::shared_ptr<Object> sharedObject(std::string_view className, std::string_view selector) {
    const Class cls = NSClassFromString(className);
    return cls ? std::dynamic_pointer_cast<Object>(cls->performClassSelector(selector)) : nullptr;
}
