#pragma once

#include "SettingsPane.h"

// The pane's top page: the buttons' functions, the look of the row, the behaviour switches, links to the
// default actions and colours pages, three resets, the maker's pages, and "Donate" in the navigation bar.
class OrvanePrefsListController : public OrvanePaneController {
    OBJC_OBJECT(OrvanePrefsListController, OrvanePaneController)
    bool performAction(std::string_view selector) override;

    void resetButtons();
    void resetHeight();
    // Deletes the settings file; only when there was one does it notify and reload.
    void resetAll();
    void donate();
    void followTwitter();
    void followWeibo();

  protected:
    OrvanePrefsListController() = default;
    void viewDidLoad() override;
    std::string_view plistName() const override { return "OrvanePrefs"; }
    std::string_view footerGroupId() const override { return "ABOUT"; }
    std::span<const std::string_view> resetButtonIds() const override;
};
