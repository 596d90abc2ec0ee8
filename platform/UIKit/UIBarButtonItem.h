#pragma once

#include "objc/objc-api.h"

#include "Foundation/NSObject.h"

#include <functional>
#include <memory>
#include <string>

enum UIBarButtonItemStyle { UIBarButtonItemStylePlain = 0, UIBarButtonItemStyleDone = 2 };

// A button in a navigation bar: a title, a style and the action it sends when pressed.
class ORVANE_EXPORT UIBarButtonItem : public NSObject {
    OBJC_OBJECT(UIBarButtonItem, NSObject)
    using Action = std::function<void(UIBarButtonItem& sender)>;

    const std::string& title() const { return _title; }
    UIBarButtonItemStyle style() const { return _style; }
    // The person presses the item.
    void press() {
        if (_action)
            _action(*this);
    }

  protected:
    UIBarButtonItem(std::string title, UIBarButtonItemStyle style, Action action)
        : _title(std::move(title)), _style(style), _action(std::move(action)) {}

  private:
    std::string _title;
    UIBarButtonItemStyle _style;
    Action _action;
};

// What a controller shows in the navigation bar while it is on top of a navigation controller.
class ORVANE_EXPORT UINavigationItem : public NSObject {
    OBJC_OBJECT(UINavigationItem, NSObject)

    const std::string& title() const { return _title; }
    void setTitle(std::string title) { _title = std::move(title); }
    const std::shared_ptr<UIBarButtonItem>& leftBarButtonItem() const { return _left; }
    void setLeftBarButtonItem(std::shared_ptr<UIBarButtonItem> item) { _left = std::move(item); }
    const std::shared_ptr<UIBarButtonItem>& rightBarButtonItem() const { return _right; }
    void setRightBarButtonItem(std::shared_ptr<UIBarButtonItem> item) { _right = std::move(item); }

  protected:
    UINavigationItem() = default;

  private:
    std::string _title;
    std::shared_ptr<UIBarButtonItem> _left;
    std::shared_ptr<UIBarButtonItem> _right;
};
