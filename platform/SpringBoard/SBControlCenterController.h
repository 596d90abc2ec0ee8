#pragma once

#include "objc/objc-api.h"

#include "UIKit/UIViewController.h"
#include "objc/Badge.h"

#include <functional>
#include <memory>
#include <string_view>

class SpringBoardHost;

// Control Center. Its view spans the screen until the host gives it another width; that width is the
// fallback width of a section. Its own view controller ("_viewController") presents sheets.
class ORVANE_EXPORT SBControlCenterController : public UIViewController {
    OBJC_OBJECT(SBControlCenterController, UIViewController)
    static std::shared_ptr<SBControlCenterController> sharedInstance();

    bool isVisible() const { return _visible; }
    // Closes Control Center when it is visible, through the dismiss handler when there is one.
    void dismissAnimated(bool animated);

    void setVisible(Badge<SpringBoardHost>, bool visible) { _visible = visible; }
    // What closes Control Center on a dismissAnimated call (the section loader's disappearance).
    void setDismissHandler(Badge<SpringBoardHost>, std::function<void()> handler) {
        _dismissHandler = std::move(handler);
    }
    void setWidth(Badge<SpringBoardHost>, CGFloat width);

  protected:
    SBControlCenterController();
    // "_viewController", read-only.
    static void registerProperties(NSPropertyTable<SBControlCenterController>& table);

  private:
    std::shared_ptr<UIViewController> _viewController = UIViewController::make();
    std::function<void()> _dismissHandler;
    bool _visible = false;
};
