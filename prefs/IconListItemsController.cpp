#include "IconListItemsController.h"

#include "SettingsPane.h"

#include <array>
#include <string>

namespace {

constexpr std::string_view frameworkFolder = "/System/Library/PrivateFrameworks/Preferences.framework";
constexpr std::string_view paneFolder = "/Library/PreferenceBundles/OrvanePrefs.bundle";

struct IconSource {
    std::string_view functionId;
    bool inFramework;
    std::string_view file;
    std::size_t slot;
};

// In the order the ids are tested; the post services share slot 3.
constexpr IconSource iconSources[] = {
    {"APP-Calendar", true, "Calendar.png", 0},
    {"APP-Evernote", false, "Evernote", 1},
    {"APP-Facebook", true, "FacebookSettings.png", 2},
    {"SYS-Facebook", true, "Wallpaper.png", 3},
    {"APP-FacebookMessenger", false, "FacebookMessenger", 4},
    {"APP-FMF", false, "FMF.png", 5},
    {"APP-Instagram", false, "Instagram.png", 6},
    {"APP-LINE", false, "LINE.png", 7},
    {"SYS-Mail", true, "Mail.png", 8},
    {"SYS-Message", true, "Messages.png", 9},
    {"APP-Notes", true, "Notes.png", 10},
    {"SYS-Photo", true, "Photos.png", 11},
    {"APP-QQ", false, "QQ", 12},
    {"APP-SinaWeibo", true, "Weibo.png", 13},
    {"SYS-SinaWeibo", true, "Wallpaper.png", 3},
    {"APP-Skype", false, "Skype.png", 14},
    {"APP-Snapchat", false, "Snapchat.png", 15},
    {"APP-TencentWeibo", true, "TencentWeiboSettings.png", 16},
    {"SYS-TencentWeibo", true, "Wallpaper.png", 3},
    {"APP-Twitter", true, "Twitter.png", 17},
    {"SYS-Twitter", true, "Wallpaper.png", 3},
    {"APP-WeChat", false, "WeChat.png", 18},
    {"APP-WhatsApp", false, "WhatsApp.png", 19},
};

std::array<std::shared_ptr<UIImage>, 20>& iconCache() {
    static std::array<std::shared_ptr<UIImage>, 20> cache;
    return cache;
}

std::string functionIdOf(const PSSpecifier& row) {
    const auto* text =
        row.values().empty() ? nullptr : dynamic_cast<const NSString*>(row.values().front().get());
    return text ? text->string() : std::string();
}

} // namespace

std::shared_ptr<UIImage> functionRowIcon(std::string_view functionId) {
    for (const auto& source : iconSources) {
        if (source.functionId != functionId)
            continue;
        auto& slot = iconCache()[source.slot];
        if (!slot)
            slot = UIImage::imageWithContentsOfFile(
                std::string(source.inFramework ? frameworkFolder : paneFolder) + "/" +
                std::string(source.file));
        return slot;
    }
    return nullptr;
}

void resetFunctionRowIcons() {
    iconCache() = {};
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
