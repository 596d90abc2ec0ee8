#pragma once

#include "objc/objc-api.h"

#include "UIKit/UIViewController.h"

#include <memory>
#include <vector>

class UINavigationBar;

// What a navigation controller's delegate may adopt, as a picker's delegate does. Its operations are optional
// and none is sent by this platform's navigation controllers.
class ORVANE_EXPORT UINavigationControllerDelegate {
  public:
    virtual ~UINavigationControllerDelegate() = default;
};

// A stack of controllers, the top one shown full screen under a translucent navigation bar that shows its
// navigation item. The navigation controller owns the controllers of its stack.
class ORVANE_EXPORT UINavigationController : public UIViewController {
    OBJC_OBJECT(UINavigationController, UIViewController)

    const std::vector<std::shared_ptr<UIViewController>>& viewControllers() const { return _viewControllers; }
    std::shared_ptr<UIViewController> topViewController() const;
    // What a controller presented over the top one shows, or else the top controller.
    std::shared_ptr<UIViewController> visibleViewController() override;
    void pushViewController(const std::shared_ptr<UIViewController>& controller);
    // Goes back one page: the controller below shows again and is told it will appear. The root stays; the
    // controller taken off, or nothing.
    std::shared_ptr<UIViewController> popViewControllerAnimated(bool animated);
    const std::shared_ptr<UINavigationBar>& navigationBar() const { return _navigationBar; }

    // The bar lies below the status bar's 20 points and is 44 high.
    static constexpr CGFloat navigationBarTop = 20;
    static constexpr CGFloat navigationBarHeight = 44;

    void viewWillAppear(bool animated) override;
    void viewWillDisappear(bool animated) override;
    void layoutAndDisplayIfNeeded() override;

  protected:
    void presentTo(PresentationHost& host, bool animated) override;
    // Made with its root controller, as initWithRootViewController.
    explicit UINavigationController(std::shared_ptr<UIViewController> rootViewController)
        : _root(std::move(rootViewController)) {}
    void init() override;

  private:
    std::shared_ptr<UIViewController> _root;
    std::vector<std::shared_ptr<UIViewController>> _viewControllers;
    std::shared_ptr<UINavigationBar> _navigationBar;
};
