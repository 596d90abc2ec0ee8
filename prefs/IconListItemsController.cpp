#include "IconListItemsController.h"

#include "SettingsPane.h"
#include "common/FunctionCatalogue.h"

#include <map>
#include <string>

namespace {

constexpr std::string_view frameworkFolder = "/System/Library/PrivateFrameworks/Preferences.framework";
constexpr std::string_view paneFolder = "/Library/PreferenceBundles/OrvanePrefs.bundle";

// One image per file: the post services share theirs.
std::map<std::string_view, std::shared_ptr<UIImage>>& iconCache() {
    static std::map<std::string_view, std::shared_ptr<UIImage>> cache;
    return cache;
}

std::string functionIdOf(const PSSpecifier& row) {
    const auto* text =
        row.values().empty() ? nullptr : dynamic_cast<const NSString*>(row.values().front().get());
    return text ? text->string() : std::string();
}

} // namespace

std::shared_ptr<UIImage> functionRowIcon(std::string_view functionId) {
    const FunctionInfo* function = functionInfoForId(functionId, DeviceFamily::phone);
    if (!function || function->paneIcon.file.empty())
        return nullptr;
    const PaneIcon& icon = function->paneIcon;
    auto& cached = iconCache()[icon.file];
    if (!cached)
        cached = UIImage::imageWithContentsOfFile(
            std::string(icon.inFramework ? frameworkFolder : paneFolder) + "/" + std::string(icon.file));
    return cached;
}

void resetFunctionRowIcons() {
    iconCache().clear();
}

std::shared_ptr<NSObject> IconListItemsController::readPreferenceValue(const PSSpecifier& specifier) {
    return readPaneValue(specifier);
}

void IconListItemsController::setPreferenceValue(const std::shared_ptr<NSObject>& value,
                                                 const PSSpecifier& specifier) {
    writePaneValue(value, specifier);
}

std::shared_ptr<UITableViewCell>
IconListItemsController::tableViewCellForRowAtIndexPath(UITableView& table, NSIndexPath indexPath) {
    auto cell = Super::tableViewCellForRowAtIndexPath(table, indexPath);
    const auto row = specifierAtIndexPath(indexPath);
    if (!cell || !row)
        return cell;
    const std::string functionId = functionIdOf(*row);
    if (functionId == "DISABLED")
        cell->textLabel()->setTextColor(UIColor::redColor());
    else if (auto icon = functionRowIcon(functionId))
        cell->imageView()->setImage(std::move(icon));
    return cell;
}
