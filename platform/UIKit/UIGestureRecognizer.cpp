#include "UIKit/UIGestureRecognizer.h"

UIGestureRecognizer::UIGestureRecognizer(Action action) : _action(std::move(action)) {}

void UIGestureRecognizer::setState(UIGestureRecognizerState state) {
    // A disabled recognizer recognises nothing.
    if (!_enabled)
        return;
    _state = state;
    // The action may remove this recognizer from its view, which may hold its last owner.
    const auto keepAlive = weak_from_this().lock();
    if (_action)
        _action(*this);
}
