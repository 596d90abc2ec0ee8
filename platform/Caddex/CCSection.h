#pragma once

#include "objc/objc-api.h"

#include "UIKit/UIView.h"
#include "UIKit/UIViewController.h"

#include <memory>

inline constexpr const char* CaddexCCDidAppearNotification = "CaddexCCDidAppearNotification";
inline constexpr const char* CaddexCCWillDisappearNotification = "CaddexCCWillDisappearNotification";

// What the Caddex loader asks of a Control Center section: its view and its height are required, the rest is
// optional (the defaults do nothing).
class ORVANE_EXPORT CCSection {
  public:
    virtual ~CCSection() = default;

    virtual std::shared_ptr<UIView> view() const = 0;
    // Points; 0 collapses the section.
    virtual double sectionHeight() const = 0;
    virtual void controlCenterWillAppear() {}
    virtual void controlCenterDidDisappear() {}
    // The delegate presents for the section; a section holds it weakly.
    virtual void setDelegate(std::weak_ptr<UIViewController> /*delegate*/) {}
};
