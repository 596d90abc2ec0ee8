#pragma once

#include "objc/objc-api.h"

#include "CoreFoundation/ObserverList.h"
#include "UIKit/UIImage.h"
#include "UIKit/UIView.h"

#include <functional>
#include <map>
#include <memory>
#include <string>

enum UIControlState : unsigned {
    UIControlStateNormal = 0,
    UIControlStateHighlighted = 1 << 0,
    UIControlStateDisabled = 1 << 1,
    UIControlStateSelected = 1 << 2,
};

enum UIControlEvents : unsigned {
    UIControlEventTouchDown = 1 << 0,
    UIControlEventTouchUpInside = 1 << 6,
    UIControlEventValueChanged = 1 << 12,
};

// A view that sends actions for events. A target-action pair becomes one callable per registration.
class ORVANE_EXPORT UIControl : public UIView {
    OBJC_OBJECT(UIControl, UIView)
    using Action = std::function<void(UIControl& sender)>;

    void addTarget(Action action, UIControlEvents events);
    void sendActionsForControlEvents(UIControlEvents events);
    // How many actions are registered for any of these events.
    std::size_t actionCountForControlEvents(UIControlEvents events) const;

    // A finger on the control: it is highlighted while the finger is down, and lifting the finger sends the
    // touch-up-inside actions. Overrides call the base first.
    virtual void touchesBegan();
    virtual void touchesMoved();
    virtual void touchesEnded();
    virtual void touchesCancelled();

    bool isHighlighted() const { return _highlighted; }
    void setHighlighted(bool highlighted) { _highlighted = highlighted; }
    bool isEnabled() const { return _enabled; }
    void setEnabled(bool enabled) { _enabled = enabled; }
    UIControlState state() const;

  protected:
    using UIView::UIView;
    static void registerProperties(NSPropertyTable<UIControl>& table);

  private:
    struct Registration {
        Action action;
        UIControlEvents events;
    };
    ObserverList<Registration> _actions;
    bool _highlighted = false;
    bool _enabled = true;
};

enum UIButtonType { UIButtonTypeCustom = 0, UIButtonTypeSystem = 1 };

// A button with an image and a background image per state. The image is drawn centred at its own size (shrunk
// to fit, keeping its proportions, when larger than the button); the background image fills the button.
class ORVANE_EXPORT UIButton : public UIControl {
    OBJC_OBJECT(UIButton, UIControl)
    static std::shared_ptr<UIButton> buttonWithType(UIButtonType type);

    UIButtonType buttonType() const { return _type; }
    void setImage(std::shared_ptr<UIImage> image, UIControlState state);
    void setBackgroundImage(std::shared_ptr<UIImage> image, UIControlState state);
    // What the state shows: its own image, or the normal state's when it has none.
    std::shared_ptr<UIImage> imageForState(UIControlState state) const;
    std::shared_ptr<UIImage> backgroundImageForState(UIControlState state) const;
    // The image shown now, for the current state.
    std::shared_ptr<UIImage> currentImage() const { return imageForState(state()); }
    void setTitle(std::string title, UIControlState state);
    // The state's own title, or the normal state's.
    std::string titleForState(UIControlState state) const;
    void setTitleColor(std::shared_ptr<UIColor> color, UIControlState state);
    std::shared_ptr<UIColor> titleColorForState(UIControlState state) const;

  protected:
    explicit UIButton(UIButtonType type);
    void drawContent(CGRect bounds) const override;

  private:
    UIButtonType _type;
    std::map<UIControlState, std::shared_ptr<UIImage>> _images;
    std::map<UIControlState, std::shared_ptr<UIImage>> _backgroundImages;
    std::map<UIControlState, std::string> _titles;
    std::map<UIControlState, std::shared_ptr<UIColor>> _titleColors;
};
