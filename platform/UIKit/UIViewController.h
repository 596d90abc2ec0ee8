#pragma once

#include "objc/objc-api.h"

#include "Foundation/NSObject.h"
#include "UIKit/UIBarButtonItem.h"
#include "UIKit/UIView.h"

#include <functional>
#include <memory>
#include <string_view>

// A controller of one view. A controller presents at most one other controller at a time, modally, over its
// own view; the presented controller may present the next one. The presenting controller owns the one it
// presents; the presented one only refers back to it.
class PresentationHost;
class UINavigationController;

enum UIInterfaceOrientation {
    UIInterfaceOrientationUnknown = 0,
    UIInterfaceOrientationPortrait = 1,
    UIInterfaceOrientationPortraitUpsideDown = 2,
    UIInterfaceOrientationLandscapeRight = 3,
    UIInterfaceOrientationLandscapeLeft = 4,
};

class ORVANE_EXPORT UIViewController : public NSObject {
    OBJC_OBJECT(UIViewController, NSObject)
    using Completion = std::function<void()>;

    const std::shared_ptr<UIView>& view() const { return _view; }
    void setView(std::shared_ptr<UIView> view) { _view = std::move(view); }

    // Shows `controller` over this one. As in UIKit, a controller that is already presenting does not present
    // a second one, and a controller that is already presented is not presented again: the attempt is refused
    // and logged, and its completion never runs. The completion runs once the presentation is done, on a
    // later turn of the main run loop.
    void presentViewController(const std::shared_ptr<UIViewController>& controller, bool animated,
                               Completion completion);
    // Dismisses what this controller presents, with everything presented above it; called on a controller
    // that presents nothing, it dismisses that controller from its presenter. The completion runs on a later
    // turn of the main run loop, also when there was nothing to dismiss.
    void dismissViewControllerAnimated(bool animated, Completion completion);

    // The view's life cycle as UIKit drives it: will-appear when presented, will-disappear when dismissed,
    // will-layout before each layout pass of the view. Overrides call the base.
    virtual void viewDidLoad() {}
    // Runs viewDidLoad once, before whatever shows the controller first.
    void loadViewIfNeeded();
    virtual void viewWillAppear(bool) {}
    virtual void viewWillDisappear(bool) {}
    virtual void viewWillLayoutSubviews() {}
    // A controller shown full screen hides its presenter, which is told it will disappear when it is
    // presented and will appear again when it is dismissed. Alerts and sheets leave the presenter in view.
    virtual bool coversPresenter() const { return false; }
    // The display cycle that follows a turn of the run loop: will-layout, then the view's layout and display
    // passes, then the same for the controllers shown through this one.
    virtual void layoutAndDisplayIfNeeded();

    // Rotation: the device turns to `orientation` if the controller agrees.
    virtual bool shouldAutorotate() const { return true; }
    virtual void willRotateToInterfaceOrientation(UIInterfaceOrientation, double) {}
    UIInterfaceOrientation interfaceOrientation() const { return _interfaceOrientation; }
    // The device turns (for hosts): will-rotate, the new orientation, a layout of the view.
    void rotateToInterfaceOrientation(UIInterfaceOrientation orientation);

    const std::shared_ptr<UINavigationItem>& navigationItem() const { return _navigationItem; }
    // The navigation controller whose stack holds this controller, or nothing.
    std::shared_ptr<UINavigationController> navigationController() const {
        return _navigationController.lock();
    }

    const std::shared_ptr<UIViewController>& presentedViewController() const { return _presented; }
    std::shared_ptr<UIViewController> presentingViewController() const { return _presenting.lock(); }
    // The controller the person sees of this one's chain: the last one presented above it, or itself.
    virtual std::shared_ptr<UIViewController> visibleViewController();

    // A page that reads codes from what the camera sees says so, with or without a camera on the device: a
    // navigation container with such a page on top is presented as a scanner.
    virtual bool scansWithCamera() const { return false; }

  protected:
    UIViewController();
    // Tells the host what has been presented, by its kind: each kind the host knows overrides this with its
    // own callback; any other controller arrives as a page.
    virtual void presentTo(PresentationHost& host, bool animated);

  private:
    friend class UINavigationController;

    std::string_view refusalReason(const UIViewController& controller) const;
    void dismissPresented(bool animated);

    std::shared_ptr<UIView> _view;
    std::shared_ptr<UIViewController> _presented;
    std::weak_ptr<UIViewController> _presenting;
    std::shared_ptr<UINavigationItem> _navigationItem = UINavigationItem::make();
    std::weak_ptr<UINavigationController> _navigationController;
    bool _viewLoaded = false;
    UIInterfaceOrientation _interfaceOrientation = UIInterfaceOrientationPortrait;
};
