#include "UIKit/UINavigationController.h"

#include "UIKit/PresentationHost.h"

#include "UIKit/UINavigationBar.h"

#include <utility>

void UINavigationController::init() {
    Super::init();
    const CGFloat width = view()->frame().size.width;
    _navigationBar = UINavigationBar::make(CGRectMake(0, 0, width, navigationBarTop + navigationBarHeight));
    view()->addSubview(_navigationBar);
    pushViewController(std::exchange(_root, nullptr));
}

std::shared_ptr<UIViewController> UINavigationController::topViewController() const {
    return _viewControllers.empty() ? nullptr : _viewControllers.back();
}

std::shared_ptr<UIViewController> UINavigationController::visibleViewController() {
    if (const auto& presented = presentedViewController())
        return presented->visibleViewController();
    return topViewController();
}

void UINavigationController::pushViewController(const std::shared_ptr<UIViewController>& controller) {
    if (!controller || controller->navigationController())
        return;
    if (const auto top = topViewController())
        top->view()->removeFromSuperview();
    controller->_navigationController = std::static_pointer_cast<UINavigationController>(shared_from_this());
    _viewControllers.push_back(controller);
    // Under the bar, which stays on top.
    view()->addSubview(controller->view());
    view()->addSubview(_navigationBar);
    _navigationBar->setTopItem(controller->navigationItem());
}

std::shared_ptr<UIViewController> UINavigationController::popViewControllerAnimated(bool animated) {
    if (_viewControllers.size() < 2)
        return nullptr;
    auto top = _viewControllers.back();
    _viewControllers.pop_back();
    top->view()->removeFromSuperview();
    top->_navigationController.reset();
    const auto& shown = _viewControllers.back();
    view()->addSubview(shown->view());
    view()->addSubview(_navigationBar);
    _navigationBar->setTopItem(shown->navigationItem());
    shown->viewWillAppear(animated);
    return top;
}

void UINavigationController::viewWillAppear(bool animated) {
    UIViewController::viewWillAppear(animated);
    if (const auto top = topViewController())
        top->viewWillAppear(animated);
}

void UINavigationController::viewWillDisappear(bool animated) {
    if (const auto top = topViewController())
        top->viewWillDisappear(animated);
    UIViewController::viewWillDisappear(animated);
}

void UINavigationController::layoutAndDisplayIfNeeded() {
    if (const auto top = topViewController())
        top->layoutAndDisplayIfNeeded();
    UIViewController::layoutAndDisplayIfNeeded();
}

void UINavigationController::presentTo(PresentationHost& host, bool animated) {
    const auto self = std::static_pointer_cast<UINavigationController>(shared_from_this());
    if (const auto top = topViewController(); top && top->scansWithCamera())
        host.didPresentScanner(self, animated);
    else
        host.didPresentNavigation(self, animated);
}
