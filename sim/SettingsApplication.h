#pragma once

#include "JsonOutput.h"
#include "Preferences/PSListController.h"
#include "UIKit/UINavigationController.h"

#include <memory>
#include <optional>
#include <ostream>
#include <string>
#include <string_view>

// The Settings application as the device plays it: its top list shows one row per entry plist in
// "/Library/PreferenceLoader/Preferences/", and a finger walks the pages it opens.
class SettingsApplication {
  public:
    // The application's own bundle on the device.
    static constexpr std::string_view bundlePath = "/Applications/Preferences.app";
    // A text the application shows by itself (its title, its back button), in the device's language: from
    // its bundle's "Localizable" table, the English key when the bundle or the text is missing.
    static std::string localizedText(std::string_view key);

    // Opens the application at its top list (again, when it was open).
    void open();
    bool isOpen() const { return _navigation != nullptr; }
    void close() { _navigation.reset(); }

    // What a finger on the row (or the navigation bar's button) of that label does; an error message when
    // the page has no such row.
    std::optional<std::string> tap(std::string_view label);
    // Sets a switch ("on"/"off"), a slider (a number within its range), a text, or a list's choice (its title
    // or its value) through the page's controller; an error message when that cannot be done.
    std::optional<std::string> set(std::string_view label, std::string_view value);
    // Goes back one page; false on the top list.
    bool back();

    std::shared_ptr<PSListController> page() const;
    // The title of the page one back; empty on the top list.
    std::string backTitle() const;
    // The page: its title and buttons, its groups with their rows and values, and the footers; as JSON, or
    // as text, one line a row.
    Json pageJson() const;
    void describe(std::ostream& out) const;

  private:
    std::shared_ptr<PSRootController> _navigation;
};

// The page of the entry plists: each entry's "bundle" is loaded when its row is tapped, and the page it opens
// is the class its "detail" names.
class SettingsRootController : public PSListController {
    OBJC_OBJECT(SettingsRootController, PSListController)
    const PSSpecifiers& specifiers() override;
    std::shared_ptr<UITableViewCell> tableViewCellForRowAtIndexPath(UITableView& table,
                                                                    NSIndexPath indexPath) override;

  protected:
    SettingsRootController() = default;
    void viewDidLoad() override;
    std::shared_ptr<PSListController>
    controllerForSpecifier(const std::shared_ptr<PSSpecifier>& specifier) override;
};
