#include "SpringBoard/SpringBoardHost.h"

#include "SpringBoard/SBApplicationController.h"
#include "SpringBoard/SBControlCenterController.h"
#include "SpringBoard/SBIconController.h"
#include "SpringBoard/SBIconModel.h"
#include "SpringBoard/SBUIController.h"
#include "SpringBoard/SpringBoard.h"
#include "objc/runtime.h"

#include <algorithm>
#include <functional>

namespace {

// SpringBoard owns these; class methods answer them and the host replaces them all at once.
struct SharedObjects {
    std::shared_ptr<SpringBoard> application = SpringBoard::make();
    std::shared_ptr<SBIconViewMap> homescreenMap = SBIconViewMap::make();
    std::shared_ptr<SBUIController> uiController = SBUIController::make();
    std::shared_ptr<SBApplicationController> applicationController = SBApplicationController::make();
    std::shared_ptr<SBIconController> iconController = SBIconController::make();
    std::shared_ptr<SBControlCenterController> controlCenterController = SBControlCenterController::make();
};

SharedObjects& shared() {
    static SharedObjects objects;
    return objects;
}

struct ClassMethod {
    std::string_view className;
    std::string_view selector;
    std::function<std::shared_ptr<NSObject>()> answer;
};

const std::vector<ClassMethod>& classMethods() {
    static const std::vector<ClassMethod> methods = {
        {"SpringBoard", "sharedApplication", [] { return SpringBoard::sharedApplication(); }},
        {"SBIconViewMap", "homescreenMap", [] { return SBIconViewMap::homescreenMap(); }},
        {"SBUIController", "sharedInstance", [] { return SBUIController::sharedInstance(); }},
        {"SBApplicationController", "sharedInstance",
         [] { return SBApplicationController::sharedInstance(); }},
        {"SBIconController", "sharedInstance", [] { return SBIconController::sharedInstance(); }},
        {"SBControlCenterController", "sharedInstance",
         [] { return SBControlCenterController::sharedInstance(); }},
    };
    return methods;
}

SBShortcutItems shortcutItems(const std::vector<std::string>& types) {
    SBShortcutItems items;
    std::transform(types.begin(), types.end(), std::back_inserter(items),
                   [](const std::string& type) { return SBSApplicationShortcutItem::make(type); });
    return items;
}

} // namespace

std::shared_ptr<SpringBoard> SpringBoard::sharedApplication() {
    return shared().application;
}
std::shared_ptr<SBIconViewMap> SBIconViewMap::homescreenMap() {
    return shared().homescreenMap;
}
std::shared_ptr<SBUIController> SBUIController::sharedInstance() {
    return shared().uiController;
}
std::shared_ptr<SBApplicationController> SBApplicationController::sharedInstance() {
    return shared().applicationController;
}
std::shared_ptr<SBIconController> SBIconController::sharedInstance() {
    return shared().iconController;
}
std::shared_ptr<SBControlCenterController> SBControlCenterController::sharedInstance() {
    return shared().controlCenterController;
}

namespace SpringBoardHost {

std::span<const std::string_view> classNames() {
    static const auto names = [] {
        std::vector<std::string_view> all;
        for (const auto& method : classMethods())
            all.push_back(method.className);
        return all;
    }();
    return names;
}

void registerClasses(const std::set<std::string, std::less<>>& missing) {
    for (const auto& method : classMethods()) {
        if (missing.contains(method.className))
            continue;
        ObjCClass* registered = ObjCRuntime::registerClass(std::string(method.className), nullptr);
        registered->addClassMethod(std::string(method.selector), method.answer);
    }
    UIApplication::setSharedApplication(SpringBoard::sharedApplication());
}

void unregisterClasses() {
    for (const auto name : classNames())
        ObjCRuntime::unregisterClass(name);
    if (UIApplication::sharedApplication() == SpringBoard::sharedApplication())
        UIApplication::setSharedApplication(nullptr);
}

void reset() {
    const bool installed = UIApplication::sharedApplication() == SpringBoard::sharedApplication();
    shared() = SharedObjects();
    if (installed)
        UIApplication::setSharedApplication(SpringBoard::sharedApplication());
}

void installApplication(const InstalledApplication& application) {
    auto installed =
        SBApplication::make(application.bundleIdentifier, shortcutItems(application.staticShortcutItemTypes),
                            shortcutItems(application.dynamicShortcutItemTypes));
    SBIconViewMap::homescreenMap()->iconModel()->addIcon(
        SBApplicationIcon::make(installed, application.launchEnabled));
    SBApplicationController::sharedInstance()->addApplication(std::move(installed));
}

} // namespace SpringBoardHost
