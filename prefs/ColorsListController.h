#pragma once

#include "SettingsPane.h"

// The page of the buttons' alpha and the background and separator colours, with a reset for each group.
class ColorsListController : public OrvanePaneController {
    OBJC_OBJECT(ColorsListController, OrvanePaneController)
    bool performAction(std::string_view selector) override;
    void resetButtonAlpha();
    void resetBackgroundColor();
    void resetSeparatorColor();

  protected:
    ColorsListController() = default;
    std::string_view plistName() const override { return "Colors"; }
    std::string_view footerGroupId() const override { return "GROUP"; }
    std::span<const std::string_view> resetButtonIds() const override;
};
