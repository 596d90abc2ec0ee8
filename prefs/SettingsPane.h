#pragma once

#include "Foundation/NSBundle.h"
#include "Preferences/PSListController.h"
#include "common/SettingsWriter.h"

#include <memory>
#include <optional>
#include <span>
#include <string>
#include <string_view>
#include <utility>

// What the four pages of the pane share: the read and write of one value through the settings file, the
// about notice under a page's footer group, and the centred reset buttons.

// The maker's pages, opened by the pane's links.
inline constexpr std::string_view makerDonationURL = "https://velquin.example.org/donate";
inline constexpr std::string_view makerTwitterURL = "https://twitter.com/velquin";
inline constexpr std::string_view makerWeiboURL = "https://weibo.com/velquin";

// The file's value for the specifier's "key", read afresh; the specifier's "default" when the file lacks it
// (or cannot be read, or holds a value of a kind no control shows).
std::shared_ptr<NSObject> readPaneValue(const PSSpecifier& specifier);
// The same from a file already read (nothing: it could not be read).
std::shared_ptr<NSObject> readPaneValue(const PSSpecifier& specifier,
                                        const std::optional<NSDictionary>& file);
// Stores the value under the specifier's "key", keeping every other entry, then posts the change
// notification.
void writePaneValue(const std::shared_ptr<NSObject>& value, const PSSpecifier& specifier);

// The about notice, in the device's language through the pane's "OrvanePrefs" table; "%@" holds the years.
inline constexpr std::string_view aboutNoticeKey =
    "Orvane \u00A9 %@ Velquin. Made for people who share a lot from Control Center.";
// The about notice with the years since 2015, for the year the device's clock shows ("yyyy"), in the language
// of the pane's bundle (English without one).
std::string aboutNotice(std::string_view currentYear, const NSBundle* paneBundle);
// The page's specifiers from its plist, with the about notice as the footer of the first group whose id is
// `footerGroupId`.
PSSpecifiers loadPaneSpecifiers(const std::shared_ptr<PSListController>& page, std::string_view plistName,
                                std::string_view footerGroupId);
// Runs the action of that name on the page; false when the page has none.
template <typename Page>
bool performNamedAction(Page& page, std::span<const std::pair<std::string_view, void (Page::*)()>> actions,
                        std::string_view selector) {
    for (const auto& [name, action] : actions) {
        if (name == selector) {
            (page.*action)();
            return true;
        }
    }
    return false;
}
// Hands the URL to the application that opens web pages.
void openMakerPage(std::string_view url);

// The base of the three pages that load a plist: their specifiers with the about footer, the shared read and
// write, and the centred reset buttons.
class OrvanePaneController : public PSListController {
    OBJC_OBJECT(OrvanePaneController, PSListController)
    // Loaded once, from the page's plist.
    const PSSpecifiers& specifiers() override;
    std::shared_ptr<NSObject> readPreferenceValue(const PSSpecifier& specifier) override;
    void setPreferenceValue(const std::shared_ptr<NSObject>& value, const PSSpecifier& specifier) override;
    std::shared_ptr<UITableViewCell> tableViewCellForRowAtIndexPath(UITableView& table,
                                                                    NSIndexPath indexPath) override;

  protected:
    OrvanePaneController() = default;
    virtual std::string_view plistName() const = 0;
    // The group that gets the about notice as its footer.
    virtual std::string_view footerGroupId() const = 0;
    virtual std::span<const std::string_view> resetButtonIds() const = 0;
    // Removes a group of keys through `reset`, then shows every control's value again.
    void resetThenReload(SettingsChange (*reset)());
    // A reload reads the file once for all its cells, so that they show one state of it.
    void willReload() override;
    void didReload() override;

  private:
    // The file as this reload read it; nothing outside a reload, when every read goes to the file.
    std::optional<std::optional<NSDictionary>> _fileThisReload;
};
