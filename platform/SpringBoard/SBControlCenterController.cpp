#include "SpringBoard/SBControlCenterController.h"

#include "Foundation/EventLog.h"
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

std::shared_ptr<NSObject> SBControlCenterController::valueForKey(std::string_view key) const {
    return key == "_viewController" ? _viewController : UIViewController::valueForKey(key);
}

void SBControlCenterController::setWidth(CGFloat width) {
    CGRect frame = view()->frame();
    frame.size.width = width;
    view()->setFrame(frame);
}
