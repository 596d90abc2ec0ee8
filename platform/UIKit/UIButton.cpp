#include "UIKit/UIButton.h"

namespace {

using ImagesByState = std::map<UIControlState, std::shared_ptr<UIImage>>;

void setImageForState(ImagesByState& images, std::shared_ptr<UIImage> image, UIControlState state) {
    if (image)
        images.insert_or_assign(state, std::move(image));
    else
        images.erase(state);
}

std::shared_ptr<UIImage> imageForStateOrNormal(const ImagesByState& images, UIControlState state) {
    if (const auto found = images.find(state); found != images.end())
        return found->second;
    const auto normal = images.find(UIControlStateNormal);
    return normal == images.end() ? nullptr : normal->second;
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
    return imageForStateOrNormal(_images, state);
}

std::shared_ptr<UIImage> UIButton::backgroundImageForState(UIControlState state) const {
    return imageForStateOrNormal(_backgroundImages, state);
}
