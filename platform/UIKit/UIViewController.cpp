#include "UIKit/UIViewController.h"

#include <utility>

#include "CoreFoundation/MainThread.h"
#include "Device/EventLog.h"
#include "Foundation/NSRunLoop.h"
#include "UIKit/PresentationHost.h"
#include "UIKit/UIScreen.h"

#include <string>
#include <vector>

namespace {

void runLater(UIViewController::Completion completion) {
    if (completion)
        NSRunLoop::mainRunLoop().performBlock(std::move(completion));
}

// The one place where presentations reach the device's event log: the controller's class, its presenter's,
// how it came or went, then what it shows, as its registered properties (an alert's title, a sheet's
// attachments).
void recordPresentationEvent(std::string_view kind, const UIViewController& controller,
                             const UIViewController& presenter, std::string_view detail) {
    const auto names = controller.objectClass().propertyNames();
    std::vector<std::string> values;
    for (const auto name : names) {
        const auto value = controller.valueForKey(name);
        values.push_back(value ? value->description() : "");
    }
    std::vector<EventLog::Field> fields = {{"controller", controller.className()},
                                           {"presenter", presenter.className()},
                                           {kind == "uikit.presentRefused" ? "reason" : "animated", detail}};
    for (std::size_t index = 0; index < names.size(); ++index)
        fields.push_back({names[index], values[index]});
    EventLog::record(kind, fields);
}

std::string_view flag(bool value) {
    return value ? "true" : "false";
}

} // namespace

// As UIKit's default view, a plain view the size of the screen.
UIViewController::UIViewController() : _view(UIView::make(UIScreen::mainScreen().bounds())) {}

void UIViewController::presentViewController(const std::shared_ptr<UIViewController>& controller,
                                             bool animated, Completion completion) {
    requireMainThread("presenting a view controller");
    if (!controller)
        return;
    if (const auto reason = refusalReason(*controller); !reason.empty()) {
        recordPresentationEvent("uikit.presentRefused", *controller, *this, reason);
        return;
    }
    _presented = controller;
    controller->_presenting = std::static_pointer_cast<UIViewController>(shared_from_this());
    recordPresentationEvent("uikit.presented", *controller, *this, flag(animated));
    if (controller->coversPresenter())
        viewWillDisappear(animated);
    controller->viewWillAppear(animated);
    controller->layoutAndDisplayIfNeeded();
    if (auto* host = PresentationHost::current())
        controller->presentTo(*host, animated);
    runLater(std::move(completion));
}

void UIViewController::presentTo(PresentationHost& host, bool animated) {
    host.didPresentPage(std::static_pointer_cast<UIViewController>(shared_from_this()), animated);
}

// Why UIKit would refuse to present `controller` here; empty when it presents it.
std::string_view UIViewController::refusalReason(const UIViewController& controller) const {
    if (_presented)
        return "presenting";
    if (!controller._presenting.expired())
        return "presented";
    for (auto presenter = presentingViewController(); presenter;
         presenter = presenter->presentingViewController()) {
        if (presenter.get() == &controller)
            return "presenter";
    }
    return &controller == this ? "presenter" : "";
}

void UIViewController::dismissViewControllerAnimated(bool animated, Completion completion) {
    requireMainThread("dismissing a view controller");
    if (_presented)
        dismissPresented(animated);
    else if (const auto presenter = presentingViewController())
        presenter->dismissPresented(animated);
    runLater(std::move(completion));
}

// Top first: the person sees the chain close from the front.
void UIViewController::dismissPresented(bool animated) {
    const auto presented = std::move(_presented);
    _presented = nullptr;
    if (presented->_presented)
        presented->dismissPresented(animated);
    presented->viewWillDisappear(animated);
    presented->_presenting.reset();
    recordPresentationEvent("uikit.dismissed", *presented, *this, flag(animated));
    if (auto* host = PresentationHost::current())
        host->didDismiss(presented, animated);
    if (presented->coversPresenter())
        viewWillAppear(animated);
}

std::shared_ptr<UIViewController> UIViewController::visibleViewController() {
    auto visible = std::static_pointer_cast<UIViewController>(shared_from_this());
    while (visible->_presented)
        visible = visible->_presented;
    return visible;
}

void UIViewController::layoutAndDisplayIfNeeded() {
    viewWillLayoutSubviews();
    _view->layoutIfNeeded();
    _view->displayIfNeeded();
    if (_presented)
        _presented->layoutAndDisplayIfNeeded();
}

void UIViewController::rotateToInterfaceOrientation(UIInterfaceOrientation orientation) {
    if (orientation == _interfaceOrientation || !shouldAutorotate())
        return;
    willRotateToInterfaceOrientation(orientation, 0.3);
    _interfaceOrientation = orientation;
    const CGRect screen = UIScreen::mainScreen().bounds();
    const bool landscape = orientation == UIInterfaceOrientationLandscapeLeft ||
                           orientation == UIInterfaceOrientationLandscapeRight;
    const CGFloat shorter = std::min(screen.size.width, screen.size.height);
    const CGFloat longer = std::max(screen.size.width, screen.size.height);
    _view->setFrame(landscape ? CGRectMake(0, 0, longer, shorter) : CGRectMake(0, 0, shorter, longer));
    layoutAndDisplayIfNeeded();
}

void UIViewController::loadViewIfNeeded() {
    if (std::exchange(_viewLoaded, true))
        return;
    viewDidLoad();
}
