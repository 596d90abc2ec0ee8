#include "ActionMenu.h"

#include "ApplicationLaunch.h"
#include "Presentation.h"
#include "SectionState.h"
#include "TapDispatch.h"
#include "UIKit/UIAlertController.h"
#include "common/SectionSettings.h"

namespace {

// The items in the menu's order; "Open in App Store" ends a store application's menu while the settings
// allow it.
std::shared_ptr<UIAlertController> menuOf(const FunctionInfo& function) {
    const auto sheet = UIAlertController::alertControllerWithTitle(std::nullopt, std::nullopt,
                                                                   UIAlertControllerStyleActionSheet);
    for (const Action action : function.menuActions()) {
        if (action == Action::AppStore && !sectionSettingsState().settings.appStoreEnabled)
            continue;
        sheet->addAction(UIAlertAction::actionWithTitle(
            localizedString(function.actionRow(action)->menuTitle), UIAlertActionStyleDefault,
            [functionId = function.functionId, action](UIAlertAction&) {
                performAction(functionId, action);
            }));
    }
    sheet->setPreferredAction(closingAction(sheet, "Cancel", UIAlertActionStyleCancel));
    return sheet;
}

} // namespace

// System functions warm up first; a store application must be installed, or it is offered in the App Store
// whatever the settings say; the applications of the system need nothing.
void showActionMenu(std::string_view functionId) {
    const FunctionInfo* function = functionInfoForId(functionId, currentDeviceFamily());
    if (!function || function->actions.empty())
        return;
    const bool storeApplication = functionId.starts_with("APP-") && function->appStorePath;
    if (functionId.starts_with("SYS-")) {
        warmUpPresentation();
    } else if (storeApplication && !functionApplicationInstalled(*function)) {
        promptAppStore(*function->appStoreName, *function->appStorePath);
        return;
    }
    presentOverControlCenter(menuOf(*function));
}
