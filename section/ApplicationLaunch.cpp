#include "ApplicationLaunch.h"

#include "SectionState.h"
#include "SpringBoard/SBApplicationController.h"
#include "SpringBoard/SBIconController.h"
#include "SpringBoard/SBIconModel.h"
#include "SpringBoard/SBUIController.h"
#include "SpringBoard/SpringBoard.h"
#include "UIKit/UIDevice.h"

#include <algorithm>
#include <array>

namespace {

// Every quick action of the catalogue, with its function.
constexpr auto routines = [] {
    constexpr auto count = [] {
        std::size_t quickActions = 0;
        for (const auto& function : functionCatalogue)
            quickActions += std::ranges::count(function.actions, Step::quickAction, &ActionRow::step);
        return quickActions;
    }();
    std::array<ShortcutRoutine, count> table{};
    auto next = table.begin();
    for (const auto& function : functionCatalogue)
        for (const auto& row : function.actions)
            if (row.step == Step::quickAction)
                *next++ = {function.functionId, row.action, row.quickAction};
    return table;
}();

// The first installed application among the function's candidates (the iPad's own Skype before the other).
std::shared_ptr<SBApplication> installedTarget(const FunctionInfo& function) {
    const auto registry = sectionState().applicationController.lock();
    if (!registry)
        return nullptr;
    for (const auto bundleIdentifier : function.targetBundleIds) {
        if (auto application = registry->applicationWithBundleIdentifier(bundleIdentifier))
            return application;
    }
    return nullptr;
}

std::shared_ptr<SBSApplicationShortcutItem> itemOfType(const SBShortcutItems& items, std::string_view type) {
    const auto found = std::find_if(items.begin(), items.end(),
                                    [type](const auto& item) { return item && item->type() == type; });
    return found == items.end() ? nullptr : *found;
}

std::shared_ptr<SBSApplicationShortcutItem> matchingItem(const SBApplication& application,
                                                         const ShortcutRoutine& routine) {
    const QuickAction& quickAction = routine.quickAction;
    auto item = itemOfType(application.staticShortcutItems(), quickAction.itemType);
    if (!item && quickAction.search == ShortcutSearch::staticThenDynamic)
        item = itemOfType(application.dynamicShortcutItems(), quickAction.itemType);
    return item;
}

} // namespace

const ShortcutRoutine* shortcutRoutineFor(std::string_view functionId, Action action) {
    const auto found = std::find_if(routines.begin(), routines.end(), [&](const ShortcutRoutine& routine) {
        return routine.functionId == functionId && routine.action == action;
    });
    return found == routines.end() ? nullptr : &*found;
}

DeviceFamily currentDeviceFamily() {
    return UIDevice::currentDevice().userInterfaceIdiom() == UIUserInterfaceIdiomPad ? DeviceFamily::pad
                                                                                     : DeviceFamily::phone;
}

void launchApplication(std::string_view bundleIdentifier) {
    const auto iconModel = sectionState().iconModel.lock();
    const auto icon = iconModel ? iconModel->applicationIconForBundleIdentifier(bundleIdentifier) : nullptr;
    if (!icon || !icon->launchEnabled())
        return;
    // Looked up at each launch, not once: SpringBoard may gain the class later.
    if (const auto uiController = sharedObject<SBUIController>("SBUIController", "sharedInstance"))
        uiController->activateApplication(icon->application());
}

void launchApplicationShortcut(const ShortcutRoutine& routine, DeviceFamily family) {
    const FunctionInfo* function = functionInfoForId(routine.functionId, family);
    const auto application = function ? installedTarget(*function) : nullptr;
    if (!application)
        return;
    if (const auto item = matchingItem(*application, routine)) {
        if (const auto iconController = sectionState().iconController.lock())
            iconController->_activateShortcutItem(item, application);
        return;
    }
    if (routine.quickAction.fallbackURL)
        openURLString(*routine.quickAction.fallbackURL);
    else
        launchApplication(application->bundleIdentifier());
}

void openURLString(std::string_view text) {
    const auto springBoard = sectionState().springBoardApp.lock();
    const auto url = NSURL::URLWithString(text);
    if (springBoard && url)
        springBoard->openURL(*url);
}
