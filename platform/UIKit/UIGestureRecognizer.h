#pragma once

#include "objc/objc-api.h"

#include "Foundation/NSObject.h"

#include <functional>
#include <memory>

class UIView;

enum UIGestureRecognizerState {
    UIGestureRecognizerStatePossible,
    UIGestureRecognizerStateBegan,
    UIGestureRecognizerStateChanged,
    UIGestureRecognizerStateEnded,
    UIGestureRecognizerStateCancelled,
    UIGestureRecognizerStateFailed,
};

// Recognises a gesture on its view and calls its action on every state change. The host (the person
// holding the device) drives the states.
class ORVANE_EXPORT UIGestureRecognizer : public NSObject {
    OBJC_OBJECT(UIGestureRecognizer, NSObject)
    using Action = std::function<void(UIGestureRecognizer& recognizer)>;

    UIGestureRecognizerState state() const { return _state; }
    // Moves to a state and calls the action, as recognition does.
    void setState(UIGestureRecognizerState state);
    std::shared_ptr<UIView> view() const { return _view.lock(); }
    bool isEnabled() const { return _enabled; }
    void setEnabled(bool enabled) { _enabled = enabled; }

  protected:
    explicit UIGestureRecognizer(Action action);

  private:
    friend class UIView;
    Action _action;
    UIGestureRecognizerState _state = UIGestureRecognizerStatePossible;
    std::weak_ptr<UIView> _view;
    bool _enabled = true;
};

class ORVANE_EXPORT UILongPressGestureRecognizer : public UIGestureRecognizer {
    OBJC_OBJECT(UILongPressGestureRecognizer, UIGestureRecognizer)
    double minimumPressDuration() const { return _minimumPressDuration; }
    void setMinimumPressDuration(double seconds) { _minimumPressDuration = seconds; }

  protected:
    using UIGestureRecognizer::UIGestureRecognizer;

  private:
    double _minimumPressDuration = 0.5;
};
