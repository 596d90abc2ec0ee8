#include "DefaultActionsListController.h"

#include "common/SettingsWriter.h"

namespace {

constexpr std::pair<std::string_view, void (DefaultActionsListController::*)()> defaultActionsActions[] = {
    {"resetDefaults", &DefaultActionsListController::resetDefaults},
};
constexpr std::string_view defaultActionsResets[] = {"RESET_DEFAULTS"};

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
