#pragma once

#include "Preferences/PSListController.h"

// The page on which a button's function is picked: every function of the catalogue with its icon, and
// "DISABLED" in red. Values are read and stored as on the other pages of the pane.
class IconListItemsController : public PSListItemsController {
    OBJC_OBJECT(IconListItemsController, PSListItemsController)
    std::shared_ptr<NSObject> readPreferenceValue(const PSSpecifier& specifier) override;
    void setPreferenceValue(const std::shared_ptr<NSObject>& value, const PSSpecifier& specifier) override;
    std::shared_ptr<UITableViewCell> tableViewCellForRowAtIndexPath(UITableView& table,
                                                                    NSIndexPath indexPath) override;

  protected:
    IconListItemsController() = default;
};

// The row icon of a function id: loaded from its file the first time and kept for the life of the process;
// the four post services share one. Nothing for an id without an icon or a file that cannot be loaded (the
// next call tries again).
std::shared_ptr<UIImage> functionRowIcon(std::string_view functionId);
// Empties the icon cache, as at the start of the Settings application (for tests).
void resetFunctionRowIcons();
