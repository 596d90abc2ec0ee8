#include "UIKit/UIAlertController.h"

#include "UIKit/PresentationHost.h"

#include <algorithm>

std::string_view UIAlertActionStyleName(UIAlertActionStyle style) {
    switch (style) {
    case UIAlertActionStyleCancel:
        return "cancel";
    case UIAlertActionStyleDestructive:
        return "destructive";
    default:
        return "default";
    }
}

UIAlertAction::UIAlertAction(std::string title, UIAlertActionStyle style, Handler handler)
    : _title(std::move(title)), _style(style), _handler(std::move(handler)) {}

std::shared_ptr<UIAlertAction> UIAlertAction::actionWithTitle(std::string title, UIAlertActionStyle style,
                                                              Handler handler) {
    return make(std::move(title), style, std::move(handler));
}

UIAlertController::UIAlertController(std::optional<std::string> title, std::optional<std::string> message,
                                     UIAlertControllerStyle style)
    : _title(std::move(title)), _message(std::move(message)), _style(style) {}

std::shared_ptr<UIAlertController>
UIAlertController::alertControllerWithTitle(std::optional<std::string> title,
                                            std::optional<std::string> message,
                                            UIAlertControllerStyle preferredStyle) {
    return make(std::move(title), std::move(message), preferredStyle);
}

void UIAlertController::addAction(std::shared_ptr<UIAlertAction> action) {
    const auto isCancel = [](const auto& added) { return added->style() == UIAlertActionStyleCancel; };
    if (!action || (isCancel(action) && std::any_of(_actions.begin(), _actions.end(), isCancel)))
        return;
    _actions.push_back(std::move(action));
}

void UIAlertController::setPreferredAction(const std::shared_ptr<UIAlertAction>& action) {
    if (!action || std::find(_actions.begin(), _actions.end(), action) != _actions.end())
        _preferredAction = action;
}

std::string_view UIAlertController::styleName() const {
    return _style == UIAlertControllerStyleActionSheet ? "action sheet" : "alert";
}

std::string UIAlertController::actionsDescription() const {
    std::string text;
    for (const auto& action : _actions) {
        if (!text.empty())
            text += "; ";
        text += action->title() + " (" + std::string(UIAlertActionStyleName(action->style())) +
                (action == preferredAction() ? ", preferred)" : ")");
    }
    return text;
}

void UIAlertController::registerProperties(NSPropertyTable<UIAlertController>& table) {
    table.add("style", [](const UIAlertController& alert) { return std::string(alert.styleName()); });
    table.add("title", [](const UIAlertController& alert) { return alert._title.value_or(""); });
    table.add("message", [](const UIAlertController& alert) { return alert._message.value_or(""); });
    table.add("actions", &UIAlertController::actionsDescription);
}

void UIAlertController::presentTo(PresentationHost& host, bool animated) {
    host.didPresentAlert(std::static_pointer_cast<UIAlertController>(shared_from_this()), animated);
}
