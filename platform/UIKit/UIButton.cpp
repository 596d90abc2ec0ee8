#include "UIKit/UIButton.h"

namespace {

using ImagesByState = std::map<UIControlState, std::shared_ptr<UIImage>>;

void setImageForState(ImagesByState& images, std::shared_ptr<UIImage> image, UIControlState state) {
    if (image)
        images.insert_or_assign(state, std::move(image));
    else
        images.erase(state);
}

template <typename Value>
Value valueForStateOrNormal(const std::map<UIControlState, Value>& values, UIControlState state) {
    if (const auto found = values.find(state); found != values.end())
        return found->second;
    const auto normal = values.find(UIControlStateNormal);
    return normal == values.end() ? Value() : normal->second;
}

} // namespace

void UIControl::addTarget(Action action, UIControlEvents events) {
    if (action && events != 0)
        _actions.add({std::move(action), events});
}

void UIControl::sendActionsForControlEvents(UIControlEvents events) {
    // An action may drop the last owner of this control while it runs: the control lives until dispatch ends.
    const auto keepAlive = weak_from_this().lock();
    _actions.notify([events](const Registration& entry) { return (entry.events & events) != 0; },
                    [this](const Registration& entry) { entry.action(*this); });
}

std::size_t UIControl::actionCountForControlEvents(UIControlEvents events) const {
    return _actions.count([events](const Registration& entry) { return (entry.events & events) != 0; });
}

void UIControl::registerProperties(NSPropertyTable<UIControl>& table) {
    table.add("highlighted", &UIControl::isHighlighted, &UIControl::setHighlighted);
    table.add("enabled", &UIControl::isEnabled, &UIControl::setEnabled);
}

void UIControl::touchesBegan() {
    _highlighted = true;
}

void UIControl::touchesMoved() {}

void UIControl::touchesEnded() {
    _highlighted = false;
    sendActionsForControlEvents(UIControlEventTouchUpInside);
}

void UIControl::touchesCancelled() {
    _highlighted = false;
}

UIControlState UIControl::state() const {
    return static_cast<UIControlState>((_highlighted ? UIControlStateHighlighted : UIControlStateNormal) |
                                       (_enabled ? UIControlStateNormal : UIControlStateDisabled));
}

UIButton::UIButton(UIButtonType type) : _type(type) {}

std::shared_ptr<UIButton> UIButton::buttonWithType(UIButtonType type) {
    return make(type);
}

void UIButton::setImage(std::shared_ptr<UIImage> image, UIControlState state) {
    setImageForState(_images, std::move(image), state);
}

void UIButton::setBackgroundImage(std::shared_ptr<UIImage> image, UIControlState state) {
    setImageForState(_backgroundImages, std::move(image), state);
}

std::shared_ptr<UIImage> UIButton::imageForState(UIControlState state) const {
    return valueForStateOrNormal(_images, state);
}

std::shared_ptr<UIImage> UIButton::backgroundImageForState(UIControlState state) const {
    return valueForStateOrNormal(_backgroundImages, state);
}

void UIButton::setTitle(std::string title, UIControlState state) {
    _titles.insert_or_assign(state, std::move(title));
}

std::string UIButton::titleForState(UIControlState state) const {
    return valueForStateOrNormal(_titles, state);
}

void UIButton::setTitleColor(std::shared_ptr<UIColor> color, UIControlState state) {
    _titleColors.insert_or_assign(state, std::move(color));
}

std::shared_ptr<UIColor> UIButton::titleColorForState(UIControlState state) const {
    return valueForStateOrNormal(_titleColors, state);
}
