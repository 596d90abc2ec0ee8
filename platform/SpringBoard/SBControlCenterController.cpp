#include "SpringBoard/SBControlCenterController.h"

#include "Device/EventLog.h"
#include "UIKit/UIScreen.h"

SBControlCenterController::SBControlCenterController() {
    setView(UIView::make(UIScreen::mainScreen().bounds()));
    // Sheets are presented over Control Center's own view.
    _viewController->setView(view());
}

void SBControlCenterController::dismissAnimated(bool animated) {
    EventLog::record("springboard.dismissControlCenter", {{"animated", animated ? "true" : "false"}});
    if (!_visible)
        return;
    if (_dismissHandler)
        _dismissHandler();
    else
        _visible = false;
}

void SBControlCenterController::registerProperties(NSPropertyTable<SBControlCenterController>& table) {
    table.add("_viewController",
              [](const SBControlCenterController& controller) { return controller._viewController; });
}

void SBControlCenterController::setWidth(Badge<SpringBoardHost>, CGFloat width) {
    CGRect frame = view()->frame();
    frame.size.width = width;
    view()->setFrame(frame);
}
