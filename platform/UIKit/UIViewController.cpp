#include "UIKit/UIViewController.h"

#include "CoreFoundation/MainThread.h"
#include "Foundation/NSRunLoop.h"
#include "UIKit/PresentationHost.h"
#include "UIKit/UIScreen.h"

namespace {

void runLater(UIViewController::Completion completion) {
    if (completion)
        NSRunLoop::mainRunLoop().performBlock(std::move(completion));
}

// The one place where presentations reach the device's event log.
void recordPresentationEvent(std::string_view, const UIViewController&, const UIViewController&) {}

} // namespace

// As UIKit's default view, a plain view the size of the screen.
UIViewController::UIViewController() : _view(UIView::make(UIScreen::mainScreen().bounds())) {}

void UIViewController::presentViewController(const std::shared_ptr<UIViewController>& controller,
                                             bool animated, Completion completion) {
    requireMainThread("presenting a view controller");
    if (!controller)
        return;
    if (refusesToPresent(*controller)) {
        recordPresentationEvent("uikit.present.refused", *controller, *this);
        return;
    }
    _presented = controller;
    controller->_presenting = std::static_pointer_cast<UIViewController>(shared_from_this());
    recordPresentationEvent("uikit.present", *controller, *this);
    if (auto* host = PresentationHost::current())
        host->didPresent(controller, animated);
    runLater(std::move(completion));
}

// Already presenting, already presented, or presenting a controller of its own chain.
bool UIViewController::refusesToPresent(const UIViewController& controller) const {
    if (_presented || !controller._presenting.expired())
        return true;
    for (auto presenter = presentingViewController(); presenter;
         presenter = presenter->presentingViewController()) {
        if (presenter.get() == &controller)
            return true;
    }
    return &controller == this;
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
    presented->_presenting.reset();
    recordPresentationEvent("uikit.dismiss", *presented, *this);
    if (auto* host = PresentationHost::current())
        host->didDismiss(presented, animated);
}

std::shared_ptr<UIViewController> UIViewController::visibleViewController() {
    auto visible = std::static_pointer_cast<UIViewController>(shared_from_this());
    while (visible->_presented)
        visible = visible->_presented;
    return visible;
}
