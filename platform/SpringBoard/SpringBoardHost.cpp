#include "SpringBoard/SpringBoardHost.h"

#include "Foundation/PlatformHost.h"
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
    UIApplication::setSharedApplication(PlatformHost::badge(), SpringBoard::sharedApplication());
}

void unregisterClasses() {
    for (const auto name : classNames())
        ObjCRuntime::unregisterClass(name);
    if (UIApplication::sharedApplication() == SpringBoard::sharedApplication())
        UIApplication::setSharedApplication(PlatformHost::badge(), nullptr);
}

void reset() {
    const bool installed = UIApplication::sharedApplication() == SpringBoard::sharedApplication();
    SpringBoard::resetSharedObjects(PlatformHost::badge());
    if (installed)
        UIApplication::setSharedApplication(PlatformHost::badge(), SpringBoard::sharedApplication());
}

void installApplication(const InstalledApplication& application) {
    auto installed =
        SBApplication::make(application.bundleIdentifier, shortcutItems(application.staticShortcutItemTypes),
                            shortcutItems(application.dynamicShortcutItemTypes));
    SBIconViewMap::homescreenMap()->iconModel()->addIcon(
        PlatformHost::badge(), SBApplicationIcon::make(installed, application.launchEnabled));
    SBApplicationController::sharedInstance()->addApplication(PlatformHost::badge(), std::move(installed));
}

void removeIcon(std::string_view bundleIdentifier) {
    SBIconViewMap::homescreenMap()->iconModel()->removeIcon(PlatformHost::badge(), bundleIdentifier);
}

} // namespace SpringBoardHost
