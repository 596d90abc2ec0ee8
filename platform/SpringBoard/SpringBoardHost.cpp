#include "SpringBoard/SpringBoardHost.h"

#include "SpringBoard/SBApplicationController.h"
#include "SpringBoard/SBControlCenterController.h"
#include "SpringBoard/SBIconController.h"
#include "SpringBoard/SBIconModel.h"
#include "SpringBoard/SBUIController.h"
#include "SpringBoard/SpringBoard.h"
#include "UIKit/UIKitHost.h"
#include "objc/runtime.h"

#include <algorithm>
#include <functional>

namespace {

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

std::span<const std::string_view> SpringBoardHost::classNames() {
    static const auto names = [] {
        std::vector<std::string_view> all;
        for (const auto& method : classMethods())
            all.push_back(method.className);
        return all;
    }();
    return names;
}

void SpringBoardHost::registerClasses(const std::set<std::string, std::less<>>& missing) {
    for (const auto& method : classMethods()) {
        if (missing.contains(method.className))
            continue;
        ObjCClass* registered = ObjCRuntime::registerClass(std::string(method.className), nullptr);
        registered->addClassMethod(std::string(method.selector), method.answer);
    }
    UIKitHost::setSharedApplication(SpringBoard::sharedApplication());
}

void SpringBoardHost::unregisterClasses() {
    for (const auto name : classNames())
        ObjCRuntime::unregisterClass(name);
    if (UIApplication::sharedApplication() == SpringBoard::sharedApplication())
        UIKitHost::setSharedApplication(nullptr);
}

void SpringBoardHost::reset() {
    const bool installed = UIApplication::sharedApplication() == SpringBoard::sharedApplication();
    SpringBoard::resetSharedObjects(badge());
    if (installed)
        UIKitHost::setSharedApplication(SpringBoard::sharedApplication());
}

void SpringBoardHost::installApplication(const InstalledApplication& application) {
    auto installed =
        SBApplication::make(application.bundleIdentifier, shortcutItems(application.staticShortcutItemTypes),
                            shortcutItems(application.dynamicShortcutItemTypes));
    SBIconViewMap::homescreenMap()->iconModel()->addIcon(
        badge(), SBApplicationIcon::make(installed, application.launchEnabled));
    SBApplicationController::sharedInstance()->addApplication(badge(), std::move(installed));
}

void SpringBoardHost::removeIcon(std::string_view bundleIdentifier) {
    SBIconViewMap::homescreenMap()->iconModel()->removeIcon(badge(), bundleIdentifier);
}

void SpringBoardHost::setLocked(SpringBoard& springBoard, bool locked) {
    springBoard.setLocked(badge(), locked);
}

void SpringBoardHost::setFrontMostAppOrientation(SpringBoard& springBoard, int orientation) {
    springBoard.setFrontMostAppOrientation(badge(), orientation);
}

void SpringBoardHost::setVisible(SBControlCenterController& controlCenter, bool visible) {
    controlCenter.setVisible(badge(), visible);
}

void SpringBoardHost::setDismissHandler(SBControlCenterController& controlCenter,
                                        std::function<void()> handler) {
    controlCenter.setDismissHandler(badge(), std::move(handler));
}

void SpringBoardHost::setWidth(SBControlCenterController& controlCenter, CGFloat width) {
    controlCenter.setWidth(badge(), width);
}
