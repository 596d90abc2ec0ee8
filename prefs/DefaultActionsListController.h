#pragma once

#include "SettingsPane.h"

// The page of what a tap on each function runs, with one reset for all of them.
class DefaultActionsListController : public OrvanePaneController {
    OBJC_OBJECT(DefaultActionsListController, OrvanePaneController)
    bool performAction(std::string_view selector) override;
    void resetDefaults();

  protected:
    DefaultActionsListController() = default;
    std::string_view plistName() const override { return "DefaultActions"; }
    std::string_view footerGroupId() const override { return "GROUP"; }
    std::span<const std::string_view> resetButtonIds() const override;
};
