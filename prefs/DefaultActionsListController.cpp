#include "DefaultActionsListController.h"

#include "common/SettingsWriter.h"

namespace {

constexpr std::pair<std::string_view, void (DefaultActionsListController::*)()> defaultActionsActions[] = {
    {"resetDefaults", &DefaultActionsListController::resetDefaults},
};
constexpr std::string_view defaultActionsResets[] = {"RESET_DEFAULTS"};

constexpr std::pair<std::string_view, void (ColorsListController::*)()> colorsActions[] = {
    {"resetButtonAlpha", &ColorsListController::resetButtonAlpha},
    {"resetBackgroundColor", &ColorsListController::resetBackgroundColor},
    {"resetSeparatorColor", &ColorsListController::resetSeparatorColor},
};
constexpr std::string_view colorsResets[] = {"RESET_BUTTON_ALPHA", "RESET_BACKGROUND_COLOR",
                                             "RESET_SEPARATOR_COLOR"};

} // namespace

bool DefaultActionsListController::performAction(std::string_view selector) {
    return performNamedAction<DefaultActionsListController>(*this, defaultActionsActions, selector);
}

std::span<const std::string_view> DefaultActionsListController::resetButtonIds() const {
    return defaultActionsResets;
}

void DefaultActionsListController::resetDefaults() {
    resetThenReload(::resetDefaults);
}

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
