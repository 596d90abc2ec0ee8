#pragma once

#include "objc/objc-api.h"

#include "UIKit/UIBarButtonItem.h"
#include "UIKit/UIView.h"

#include <memory>
#include <optional>

// The bar at the top of a navigation controller, reaching under the status bar, with the top controller's
// title in the middle and its bar button items at the sides. It hides what lies under it, as the system's
// blurred bar does, so a control of the content below never shows through its buttons.
class ORVANE_EXPORT UINavigationBar : public UIView {
    OBJC_OBJECT(UINavigationBar, UIView)

    const std::shared_ptr<UINavigationItem>& topItem() const { return _topItem; }
    void setTopItem(std::shared_ptr<UINavigationItem> item) { _topItem = std::move(item); }
    // Where the top item's right bar button takes a finger, in the bar's coordinates, as drawContent lays
    // the bar out: its title with the margins beside it, the bar's height below the status bar. Nothing
    // without one.
    std::optional<CGRect> rightItemFrame() const;

  protected:
    explicit UINavigationBar(CGRect frame);
    void drawContent(CGRect bounds) const override;

  private:
    std::shared_ptr<UINavigationItem> _topItem;
};
