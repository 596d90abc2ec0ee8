#include "UIKit/UIButton.h"

#include <algorithm>

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
        _actions.push_back({std::move(action), events});
}

void UIControl::sendActionsForControlEvents(UIControlEvents events) {
    // Actions may register more actions or drop the last owner of this control while they run: dispatch goes
    // over a copy of the matching actions, and the control lives until it ends.
    const auto keepAlive = weak_from_this().lock();
    std::vector<Action> matching;
    for (const auto& registration : _actions) {
        if (registration.events & events)
            matching.push_back(registration.action);
    }
    for (const auto& action : matching)
        action(*this);
}

std::size_t UIControl::actionCountForControlEvents(UIControlEvents events) const {
    return static_cast<std::size_t>(
        std::count_if(_actions.begin(), _actions.end(),
                      [events](const auto& entry) { return (entry.events & events) != 0; }));
}

UIControlState UIControl::state() const {
    return static_cast<UIControlState>((_highlighted ? UIControlStateHighlighted : UIControlStateNormal) |
                                       (_enabled ? UIControlStateNormal : UIControlStateDisabled));
}

UIButton::UIButton(UIButtonType type) : _type(type) {}

std::shared_ptr<UIButton> UIButton::buttonWithType(UIButtonType type) {
    return std::make_shared<UIButton>(type);
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
