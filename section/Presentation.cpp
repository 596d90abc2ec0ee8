#include "Presentation.h"

#include "ApplicationLaunch.h"
#include "OrvaneCCSection.h"
#include "SectionState.h"
#include "SpringBoard/SBControlCenterController.h"
#include "SpringBoard/SpringBoard.h"
#include "UIKit/UIActionSheet.h"
#include "UIKit/UIAlertController.h"
#include "common/SectionSettings.h"

#include <utility>

namespace {

// Module-level code reaches the section's bundle through the section created last.
std::shared_ptr<NSBundle> sectionBundle() {
    const auto section = sectionState().currentSection.lock();
    return section ? section->bundle() : nullptr;
}

std::string formatted(std::string format, std::string_view argument) {
    const auto placeholder = format.find("%@");
    if (placeholder != std::string::npos)
        format.replace(placeholder, 2, argument);
    return format;
}

} // namespace

std::string localizedString(std::string_view key) {
    const auto bundle = sectionBundle();
    return bundle ? bundle->localizedStringForKey(key, "", "Localizable") : std::string(key);
}

void presentOverControlCenter(const std::shared_ptr<UIViewController>& controller) {
    const auto presenter = sectionState().controlCenterViewController.lock();
    if (!presenter)
        return;
    sectionState().presentedController = controller;
    presenter->presentViewController(controller, true, nullptr);
}

bool closeIfPresented(const std::shared_ptr<UIViewController>& controller, bool animated) {
    auto& state = sectionState();
    if (!controller || state.presentedController != controller)
        return false;
    state.presentedController = nullptr;
    controller->dismissViewControllerAnimated(animated, nullptr);
    return true;
}

std::shared_ptr<UIAlertAction> closingAction(const std::shared_ptr<UIAlertController>& alert,
                                             std::string_view title, UIAlertActionStyle style,
                                             std::function<void()> then) {
    const std::weak_ptr<UIAlertController> weakAlert = alert;
    auto action =
        UIAlertAction::actionWithTitle(localizedString(title), style, [weakAlert, then](UIAlertAction&) {
            if (then)
                then();
            else if (const auto shown = weakAlert.lock())
                shown->dismissViewControllerAnimated(true, nullptr);
            sectionState().presentedController = nullptr;
        });
    alert->addAction(action);
    return action;
}

void closePresentedController() {
    // Taken out of the slot first: a dismissal may run code that fills the slot again.
    if (const auto presented = std::exchange(sectionState().presentedController, nullptr))
        presented->dismissViewControllerAnimated(true, nullptr);
}

void warmUpPresentation() {
    auto& state = sectionState();
    const auto section = state.currentSection.lock();
    if (state.warmUpDone || !section)
        return;
    const auto sheet = UIActionSheet::make(std::nullopt);
    sheet->showFromRect(section->view()->frame(), section->view(), false);
    sheet->dismissWithClickedButtonIndex(sheet->cancelButtonIndex(), false);
    state.warmUpDone = true;
}

bool presentLandscapeAlertIfNeeded() {
    const auto springBoard = sectionState().springBoardApp.lock();
    const int orientation = springBoard ? springBoard->_frontMostAppOrientation() : 0;
    if (orientation == 1 || orientation == 2 || sectionSettingsState().settings.landscapeEnabled)
        return false;
    const auto alert = UIAlertController::alertControllerWithTitle(
        std::nullopt, localizedString("Landscape mode is currently not supported."),
        UIAlertControllerStyleAlert);
    alert->setPreferredAction(closingAction(alert, "OK", UIAlertActionStyleCancel));
    presentOverControlCenter(alert);
    return true;
}

void promptAppStore(std::string_view appStoreName, std::string_view appStorePath) {
    const auto message =
        formatted(localizedString("Open App Store to download \"%@\"?"), localizedString(appStoreName));
    const auto alert =
        UIAlertController::alertControllerWithTitle(std::nullopt, message, UIAlertControllerStyleAlert);
    const auto ok = closingAction(alert, "OK", UIAlertActionStyleDefault,
                                  [path = std::string(appStorePath)] { openAppStorePage(path); });
    closingAction(alert, "Cancel", UIAlertActionStyleCancel);
    alert->setPreferredAction(ok);
    presentOverControlCenter(alert);
}

void openAppStorePage(std::string_view appStorePath) {
    openURLString("https://" + std::string(appStoreHost) + "/app/" + std::string(appStorePath));
}

void dismissControlCenterIfWanted() {
    const auto controlCenter = sectionState().controlCenterController.lock();
    if (sectionSettingsState().settings.ccDismiss && controlCenter && controlCenter->isVisible())
        controlCenter->dismissAnimated(true);
}
