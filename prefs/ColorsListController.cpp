#include "ColorsListController.h"

#include "common/SettingsWriter.h"

namespace {

constexpr std::pair<std::string_view, void (ColorsListController::*)()> colorsActions[] = {
    {"resetButtonAlpha", &ColorsListController::resetButtonAlpha},
    {"resetBackgroundColor", &ColorsListController::resetBackgroundColor},
    {"resetSeparatorColor", &ColorsListController::resetSeparatorColor},
};
constexpr std::string_view colorsResets[] = {"RESET_BUTTON_ALPHA", "RESET_BACKGROUND_COLOR",
                                             "RESET_SEPARATOR_COLOR"};

} // namespace

bool ColorsListController::performAction(std::string_view selector) {
    return performNamedAction<ColorsListController>(*this, colorsActions, selector);
}

std::span<const std::string_view> ColorsListController::resetButtonIds() const {
    return colorsResets;
}

void ColorsListController::resetButtonAlpha() {
    resetThenReload(::resetButtonAlpha);
}

void ColorsListController::resetBackgroundColor() {
    resetThenReload(::resetBackgroundColor);
}

void ColorsListController::resetSeparatorColor() {
    resetThenReload(::resetSeparatorColor);
}
