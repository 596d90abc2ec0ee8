#pragma once

#include "objc/objc-api.h"

#include "UIKit/UIView.h"

#include <memory>
#include <optional>
#include <string>

// The older action sheet, a view shown from a rectangle of another view. Only what a warm-up needs: a sheet
// without delegate or buttons, shown and dismissed again.
class ORVANE_EXPORT UIActionSheet : public UIView {
    OBJC_OBJECT(UIActionSheet, UIView)
    const std::optional<std::string>& title() const { return _title; }
    // -1: the sheet has no cancel button.
    long cancelButtonIndex() const { return -1; }
    bool isVisible() const { return _visible; }

    void showFromRect(CGRect rect, const std::shared_ptr<UIView>& view, bool animated);
    // Nothing when the sheet is not shown.
    void dismissWithClickedButtonIndex(long buttonIndex, bool animated);

  protected:
    explicit UIActionSheet(std::optional<std::string> title);

  private:
    std::optional<std::string> _title;
    bool _visible = false;
};
