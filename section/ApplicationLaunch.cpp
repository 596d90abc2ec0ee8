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

using enum ShortcutSearch;
constexpr std::nullopt_t plainLaunch = std::nullopt;

// The item types are other applications' own identifiers, compared exactly as written (misspellings too).
// clang-format off
constexpr std::array<ShortcutRoutine, 25> routines = {{
    {"APP-Calendar", "Event", "com.apple.mobilecal.addevent", staticThenDynamic, plainLaunch},
    {"APP-Evernote", "Note", "newNote", staticThenDynamic, plainLaunch},
    {"APP-Evernote", "Reminder", "newReminderNote", staticThenDynamic, plainLaunch},
    {"APP-Evernote", "Photo", "newCameraNote", staticThenDynamic, plainLaunch},
    {"APP-Facebook", "Camera", "fb_shorcut_item_camera", staticOnly, plainLaunch},
    {"APP-Facebook", "Post", "fb_shorcut_item_composer", staticOnly, plainLaunch},
    {"APP-Facebook", "Library", "fb_shorcut_item_camera", staticOnly, plainLaunch},
    {"APP-FacebookMessenger", "Message", "com.facebook.Messenger.compose", staticThenDynamic, plainLaunch},
    {"APP-FMF", "Location", "openShareMyLocation", staticThenDynamic, plainLaunch},
    {"APP-Instagram", "Post", "kIGApplicationShortcutTypePost", staticThenDynamic, plainLaunch},
    {"APP-LINE", "Chat", "MNewChat", staticThenDynamic, plainLaunch},
    {"APP-Notes", "Note", "com.apple.notes.newNote", staticOnly, plainLaunch},
    {"APP-Notes", "Photo", "com.apple.notes.photo", staticOnly, plainLaunch},
    {"APP-Notes", "Sketch", "com.apple.notes.sketch", staticOnly, plainLaunch},
    {"APP-QQ", "Chat", "com.tencent.mqq.mutichat", staticThenDynamic, plainLaunch},
    {"APP-SinaWeibo", "Post", "sinaweibo://compose", staticOnly, "sinaweibo://compose"},
    {"APP-Skype", "Chat", "com.skype.shortcut.compose", staticOnly, plainLaunch},
    {"APP-Skype", "Call", "com.skype.shortcut.composeCall", staticOnly, plainLaunch},
    {"APP-Snapchat", "Chat", "com.snapchat.quick_action_type.chat_with", staticThenDynamic, plainLaunch},
    {"APP-TencentWeibo", "Post", "0", staticThenDynamic, plainLaunch},
    {"APP-Twitter", "Tweet", "com.twitter.shortcut.new-tweet", staticThenDynamic, "twitter://post"},
    {"APP-Twitter", "Message", "com.twitter.shortcut.new-message", staticThenDynamic, plainLaunch},
    {"APP-WeChat", "Chat", "new_chat", staticOnly, plainLaunch},
    {"APP-WeChat", "Sight", "sight", staticOnly, plainLaunch},
    {"APP-WhatsApp", "Chat", "Chat", staticThenDynamic, "whatsapp://send"},
}};
// clang-format on

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
    auto item = itemOfType(application.staticShortcutItems(), routine.itemType);
    if (!item && routine.search == staticThenDynamic)
        item = itemOfType(application.dynamicShortcutItems(), routine.itemType);
    return item;
}

} // namespace

const ShortcutRoutine* shortcutRoutineFor(std::string_view functionId, std::string_view action) {
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
    if (routine.fallbackURL)
        openURLString(*routine.fallbackURL);
    else
        launchApplication(application->bundleIdentifier());
}

void openURLString(std::string_view text) {
    const auto springBoard = sectionState().springBoardApp.lock();
    const auto url = NSURL::URLWithString(text);
    if (springBoard && url)
        springBoard->openURL(*url);
}
