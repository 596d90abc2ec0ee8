#pragma once

#include "UIKit/UIViewController.h"

#include <functional>
#include <memory>
#include <string_view>

// Control Center. Its view spans the screen until the host gives it another width; that width is the
// fallback width of a section. Its own view controller ("_viewController") presents sheets.
class SBControlCenterController : public UIViewController {
  public:
    static std::shared_ptr<SBControlCenterController> sharedInstance();

    SBControlCenterController();

    bool isVisible() const { return _visible; }
    // Closes Control Center when it is visible, through the dismiss handler when there is one.
    void dismissAnimated(bool animated);
    // Key-value coding: "_viewController".
    std::shared_ptr<NSObject> valueForKey(std::string_view key) const override;

    // For hosts.
    void setVisible(bool visible) { _visible = visible; }
    // What closes Control Center on a dismissAnimated call (the section loader's disappearance).
    void setDismissHandler(std::function<void()> handler) { _dismissHandler = std::move(handler); }
    void setWidth(CGFloat width);

  private:
    std::shared_ptr<UIViewController> _viewController = std::make_shared<UIViewController>();
    std::function<void()> _dismissHandler;
    bool _visible = false;
};
