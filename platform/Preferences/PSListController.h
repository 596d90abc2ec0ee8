#pragma once

#include "objc/objc-api.h"

#include "Preferences/PSSpecifier.h"
#include "Preferences/PSTableCell.h"
#include "UIKit/UINavigationController.h"
#include "UIKit/UITableView.h"
#include "UIKit/UIViewController.h"

#include <memory>
#include <optional>
#include <string_view>

// A settings page: a grouped table of specifiers. Each group specifier starts a section (rows before the
// first group share a section without header); its label is the header and its "footerText" the footer.
// Values are read and stored through readPreferenceValue and setPreferenceValue, which subclasses override.
class ORVANE_EXPORT PSListController : public UIViewController, public UITableViewDataSource {
    OBJC_OBJECT(PSListController, UIViewController)
    // The page's specifiers; the base has none until a subclass fills _specifiers.
    virtual const PSSpecifiers& specifiers();
    // The specifiers of "<name>.plist" in the bundle of this controller's class, with `target` as the
    // target of their actions and values. Titles, footers and the titles of a list's choices are looked up in
    // the bundle's strings table "<name>" (the plist's text when the table lacks it). What the plist holds
    // that cannot be loaded is left out and recorded in the event log.
    PSSpecifiers loadSpecifiersFromPlistName(std::string_view name,
                                             const std::shared_ptr<PSListController>& target);

    // The specifier this page was opened from (a link's or a list's); nothing for a top page.
    const std::shared_ptr<PSSpecifier>& specifier() const { return _specifier; }
    void setSpecifier(std::shared_ptr<PSSpecifier> specifier) { _specifier = std::move(specifier); }

    // The specifier of a row; nothing for a row the page does not have.
    std::shared_ptr<PSSpecifier> specifierAtIndexPath(NSIndexPath indexPath);
    std::optional<NSIndexPath> indexPathForSpecifier(const PSSpecifier& specifier);
    // Reads every shown value again and rebuilds the cells.
    void reload();
    const std::shared_ptr<UITableView>& table() const { return _table; }

    // The value a control shows. The base reads the specifier's "defaults" domain in
    // "/var/mobile/Library/Preferences/" and falls back to its "default"; a specifier whose target is another
    // controller is read by that controller.
    virtual std::shared_ptr<NSObject> readPreferenceValue(const PSSpecifier& specifier);
    // Stores a changed value. The base writes the domain and posts the specifier's "PostNotification".
    virtual void setPreferenceValue(const std::shared_ptr<NSObject>& value, const PSSpecifier& specifier);

    // A finger on the row: a link opens its page on the navigation stack, a button runs its action on its
    // target, a list item is chosen.
    virtual void tableViewDidSelectRowAtIndexPath(UITableView& table, NSIndexPath indexPath);
    // Runs the action a plist names; false when this controller has no action of that name.
    virtual bool performAction(std::string_view selector);

    // UITableViewDataSource
    std::size_t numberOfSectionsInTableView(const UITableView& table) override;
    std::size_t tableViewNumberOfRowsInSection(const UITableView& table, std::size_t section) override;
    std::shared_ptr<UITableViewCell> tableViewCellForRowAtIndexPath(UITableView& table,
                                                                    NSIndexPath indexPath) override;
    std::optional<std::string> tableViewTitleForHeaderInSection(const UITableView& table,
                                                                std::size_t section) override;
    std::optional<std::string> tableViewTitleForFooterInSection(const UITableView& table,
                                                                std::size_t section) override;

    void viewDidLoad() override;
    // Every time the page shows, its values are read again (another page may have changed them).
    void viewWillAppear(bool animated) override;

  protected:
    PSListController();
    // Before the cells are rebuilt, and once they all are.
    virtual void willReload() {}
    virtual void didReload() {}
    // The page a link opens: the class its "detail" names, or a list of choices for a list.
    virtual std::shared_ptr<PSListController>
    controllerForSpecifier(const std::shared_ptr<PSSpecifier>& specifier);

    std::optional<PSSpecifiers> _specifiers;

  private:
    struct Group {
        std::shared_ptr<PSSpecifier> group;
        std::vector<std::shared_ptr<PSSpecifier>> rows;
    };
    std::vector<Group> groups();

    std::shared_ptr<UITableView> _table;
    std::shared_ptr<PSSpecifier> _specifier;
};

// The page of a list's choices: one row per value of the specifier that opened it, the current one ticked.
// Choosing a row stores its value under the list's key and ticks it.
class ORVANE_EXPORT PSListItemsController : public PSListController {
    OBJC_OBJECT(PSListItemsController, PSListController)
    const PSSpecifiers& specifiers() override;
    std::shared_ptr<UITableViewCell> tableViewCellForRowAtIndexPath(UITableView& table,
                                                                    NSIndexPath indexPath) override;
    void tableViewDidSelectRowAtIndexPath(UITableView& table, NSIndexPath indexPath) override;

  protected:
    PSListItemsController() = default;
    void willReload() override;

  private:
    std::shared_ptr<NSObject> _chosen;
};

// The Settings application's navigation stack: each page is loaded and told it appears as it is shown, the
// root page when the stack is made.
class ORVANE_EXPORT PSRootController : public UINavigationController {
    OBJC_OBJECT(PSRootController, UINavigationController)
    void showPage(const std::shared_ptr<PSListController>& page);

  protected:
    explicit PSRootController(std::shared_ptr<UIViewController> root)
        : UINavigationController(std::move(root)) {}
    void init() override;
};
