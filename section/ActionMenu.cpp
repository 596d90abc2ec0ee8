#include "ActionMenu.h"

#include "ApplicationLaunch.h"
#include "Presentation.h"
#include "SectionState.h"
#include "TapDispatch.h"
#include "UIKit/UIAlertController.h"
#include "common/SectionSettings.h"

#include <algorithm>
#include <array>

namespace {

struct MenuItem {
    std::string_view title;
    std::string_view action;
};

// A function's items in menu order, the action set's order but for APP-Facebook, which puts its post first.
// "Open in App Store" ends the store applications' menus while the settings allow it.
struct Menu {
    std::string_view functionId;
    std::array<MenuItem, 4> items;
};

constexpr MenuItem library = {"Choose from Library", "Library"};

// clang-format off
constexpr std::array<Menu, 23> menus = {{
    {"SYS-Facebook", {{{"New Post", "Post"}, {"Take Photo", "Camera"}, library, {"Launch Facebook", "Launch"}}}},
    {"SYS-Mail", {{{"New Mail", "Mail"}, {"Take Photo/Video", "Camera"}, library, {"Launch Mail", "Launch"}}}},
    {"SYS-Message", {{{"New Message", "Message"}, {"Take Photo/Video", "Camera"}, library,
                      {"Launch Messages", "Launch"}}}},
    {"SYS-Photo", {{{"Take Photo/Video", "Camera"}, library, {"Scan Code", "Scan"}, {"Launch Photos", "Launch"}}}},
    {"SYS-SinaWeibo", {{{"New Post", "Post"}, {"Take Photo", "Camera"}, library,
                        {"Launch Sina Weibo", "Launch"}}}},
    {"SYS-TencentWeibo", {{{"New Post", "Post"}, {"Take Photo", "Camera"}, library,
                           {"Launch Tencent Weibo", "Launch"}}}},
    {"SYS-Twitter", {{{"New Tweet", "Tweet"}, {"Take Photo", "Camera"}, library, {"Launch Twitter", "Launch"}}}},
    {"APP-Calendar", {{{"New Event", "Event"}, {"Launch", "Launch"}}}},
    {"APP-Evernote", {{{"New Note", "Note"}, {"Set Reminder", "Reminder"}, {"Take Photo", "Photo"},
                       {"Launch", "Launch"}}}},
    {"APP-Facebook", {{{"New Post", "Post"}, {"Take Photo/Video", "Camera"}, {"Upload Photo/Video", "Library"},
                       {"Launch", "Launch"}}}},
    {"APP-FacebookMessenger", {{{"New Message", "Message"}, {"Launch", "Launch"}}}},
    {"APP-FMF", {{{"Share My Location", "Location"}, {"Launch", "Launch"}}}},
    {"APP-Instagram", {{{"Take Photo/Video", "Camera"}, {"New Post", "Post"}, {"Launch", "Launch"}}}},
    {"APP-LINE", {{{"New Chat", "Chat"}, {"Launch", "Launch"}}}},
    {"APP-Notes", {{{"New Note", "Note"}, {"New Photo", "Photo"}, {"New Sketch", "Sketch"}, {"Launch", "Launch"}}}},
    {"APP-QQ", {{{"New Chat", "Chat"}, {"Launch", "Launch"}}}},
    {"APP-SinaWeibo", {{{"New Post", "Post"}, {"Launch", "Launch"}}}},
    {"APP-Skype", {{{"New Chat", "Chat"}, {"New Call", "Call"}, {"Launch", "Launch"}}}},
    {"APP-Snapchat", {{{"New Chat", "Chat"}, {"Launch", "Launch"}}}},
    {"APP-TencentWeibo", {{{"New Post", "Post"}, {"Launch", "Launch"}}}},
    {"APP-Twitter", {{{"New Tweet", "Tweet"}, {"New Message", "Message"}, {"Launch", "Launch"}}}},
    {"APP-WeChat", {{{"New Chat", "Chat"}, {"Take Sight", "Sight"}, {"Launch", "Launch"}}}},
    {"APP-WhatsApp", {{{"New Chat", "Chat"}, {"Launch", "Launch"}}}},
}};
// clang-format on

constexpr MenuItem openInAppStore = {"Open in App Store", "AppStore"};

std::shared_ptr<UIAlertController> menuOf(const Menu& menu, bool storeApplication) {
    const auto sheet = UIAlertController::alertControllerWithTitle(std::nullopt, std::nullopt,
                                                                   UIAlertControllerStyleActionSheet);
    const auto add = [&sheet, functionId = menu.functionId](const MenuItem& item) {
        sheet->addAction(UIAlertAction::actionWithTitle(
            localizedString(item.title), UIAlertActionStyleDefault,
            [functionId, action = item.action](UIAlertAction&) { performAction(functionId, action); }));
    };
    for (const auto& item : menu.items)
        if (!item.title.empty())
            add(item);
    if (storeApplication && sectionSettingsState().settings.appStoreEnabled)
        add(openInAppStore);
    sheet->setPreferredAction(closingAction(sheet, "Cancel", UIAlertActionStyleCancel));
    return sheet;
}

} // namespace

// System functions warm up first; a store application must be installed, or it is offered in the App Store
// whatever the settings say; the applications of the system need nothing.
void showActionMenu(std::string_view functionId) {
    const auto menu = std::find_if(menus.begin(), menus.end(), [functionId](const Menu& entry) {
        return entry.functionId == functionId;
    });
    const FunctionInfo* function = functionInfoForId(functionId, currentDeviceFamily());
    if (menu == menus.end() || !function)
        return;
    const bool storeApplication = functionId.starts_with("APP-") && function->appStorePath;
    if (functionId.starts_with("SYS-")) {
        warmUpPresentation();
    } else if (storeApplication && !functionApplicationInstalled(*function)) {
        promptAppStore(*function->appStoreName, *function->appStorePath);
        return;
    }
    presentOverControlCenter(menuOf(*menu, storeApplication));
}
