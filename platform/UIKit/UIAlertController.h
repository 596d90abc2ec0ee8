#pragma once

#include "objc/objc-api.h"

#include "UIKit/UIViewController.h"

#include <functional>
#include <memory>
#include <optional>
#include <string>
#include <vector>

enum UIAlertControllerStyle {
    UIAlertControllerStyleActionSheet = 0,
    UIAlertControllerStyleAlert = 1,
};

enum UIAlertActionStyle {
    UIAlertActionStyleDefault = 0,
    UIAlertActionStyleCancel = 1,
    UIAlertActionStyleDestructive = 2,
};

// "default", "cancel" or "destructive".
ORVANE_EXPORT std::string_view UIAlertActionStyleName(UIAlertActionStyle style);

// One button of an alert or action sheet, with what runs when the person chooses it.
class ORVANE_EXPORT UIAlertAction : public NSObject {
    OBJC_OBJECT(UIAlertAction, NSObject)
    using Handler = std::function<void(UIAlertAction& action)>;

    static std::shared_ptr<UIAlertAction> actionWithTitle(std::string title, UIAlertActionStyle style,
                                                          Handler handler);

    const std::string& title() const { return _title; }
    UIAlertActionStyle style() const { return _style; }

  protected:
    UIAlertAction(std::string title, UIAlertActionStyle style, Handler handler);

  private:
    // The person chooses the action (PersonAnswers), which runs its handler.
    friend class PersonAnswers;

    std::string _title;
    UIAlertActionStyle _style;
    Handler _handler;
};

// An alert in the middle of the screen, or an action sheet rising from its bottom: an optional title and
// message and the actions in the order they were added.
class ORVANE_EXPORT UIAlertController : public UIViewController {
    OBJC_OBJECT(UIAlertController, UIViewController)
    static std::shared_ptr<UIAlertController> alertControllerWithTitle(std::optional<std::string> title,
                                                                       std::optional<std::string> message,
                                                                       UIAlertControllerStyle preferredStyle);

    const std::optional<std::string>& title() const { return _title; }
    const std::optional<std::string>& message() const { return _message; }
    UIAlertControllerStyle preferredStyle() const { return _style; }

    // As UIKit allows one cancel action at most, a second one is not added.
    void addAction(std::shared_ptr<UIAlertAction> action);
    const std::vector<std::shared_ptr<UIAlertAction>>& actions() const { return _actions; }
    // The emphasised action; only an action of this alert can be preferred.
    void setPreferredAction(const std::shared_ptr<UIAlertAction>& action);
    std::shared_ptr<UIAlertAction> preferredAction() const { return _preferredAction.lock(); }

    // "alert" or "action sheet".
    std::string_view styleName() const;
    // The actions in order, each with its style and the preferred one marked:
    // "OK (default, preferred); Cancel (cancel)".
    std::string actionsDescription() const;

  protected:
    void presentTo(PresentationHost& host, bool animated) override;
    UIAlertController(std::optional<std::string> title, std::optional<std::string> message,
                      UIAlertControllerStyle style);
    // "style", "title", "message" and "actions" as text: what the event log tells of an alert.
    static void registerProperties(NSPropertyTable<UIAlertController>& table);

  private:
    // Only hosts answer for the person: PersonAnswers (UIKit/PresentationHost.h), in the hosts' library,
    // does what the person does with this controller.
    friend class PersonAnswers;

    std::optional<std::string> _title;
    std::optional<std::string> _message;
    UIAlertControllerStyle _style;
    std::vector<std::shared_ptr<UIAlertAction>> _actions;
    std::weak_ptr<UIAlertAction> _preferredAction;
};
