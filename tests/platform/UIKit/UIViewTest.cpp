#include "UIKit/UIView.h"
#include "UIKit/UIApplication.h"
#include "UIKit/UIGestureRecognizer.h"
#include "UIKit/UIKitHost.h"
#include "UIKit/UIScreen.h"
#include "UIKit/UIViewController.h"

#include <gtest/gtest.h>

namespace {

using Views = std::vector<std::shared_ptr<UIView>>;
using Recognizers = std::vector<std::shared_ptr<UIGestureRecognizer>>;

TEST(UIViewHierarchy, SubviewsKeepTheOrderAddedAndReAddingMovesAViewToTheTop) {
    const auto parent = UIView::make();
    const auto a = UIView::make(), b = UIView::make(), c = UIView::make();
    for (const auto& view : {a, b, c})
        parent->addSubview(view);
    EXPECT_EQ(parent->subviews(), (Views{a, b, c}));
    EXPECT_EQ(b->superview(), parent);
    parent->addSubview(a);
    EXPECT_EQ(parent->subviews(), (Views{b, c, a}));
}

TEST(UIViewHierarchy, AddingAViewElsewhereMovesItFromItsOldSuperview) {
    const auto first = UIView::make(), second = UIView::make();
    first->addSubview(UIView::make());
    const std::weak_ptr<UIView> moved = first->subviews()[0];
    // The argument is the old superview's own element, which the move erases.
    second->addSubview(first->subviews()[0]);
    EXPECT_TRUE(first->subviews().empty());
    ASSERT_EQ(second->subviews(), Views{moved.lock()});
    EXPECT_EQ(moved.lock()->superview(), second);
}

TEST(UIViewHierarchy, RemovingFromTheSuperviewReleasesAViewOnlyItHeld) {
    const auto parent = UIView::make();
    parent->addSubview(UIView::make());
    const std::weak_ptr<UIView> child = parent->subviews()[0];
    child.lock()->removeFromSuperview();
    EXPECT_TRUE(parent->subviews().empty());
    EXPECT_TRUE(child.expired());
}

TEST(UIViewHierarchy, TheSuperviewIsNotOwnedByItsSubviews) {
    auto parent = UIView::make();
    const auto child = UIView::make();
    parent->addSubview(child);
    const std::weak_ptr<UIView> watched = parent;
    parent.reset();
    EXPECT_TRUE(watched.expired());
    EXPECT_EQ(child->superview(), nullptr);
    child->removeFromSuperview();
}

TEST(UIViewHierarchy, AViewCannotEnterItsOwnSubtree) {
    const auto root = UIView::make(), child = UIView::make();
    root->addSubview(child);
    root->addSubview(root);
    child->addSubview(root);
    EXPECT_EQ(root->subviews(), Views{child});
    EXPECT_TRUE(child->subviews().empty());
    EXPECT_EQ(root->superview(), nullptr);
}

TEST(UIViewHitTest, TheDeepestTopmostShownViewUnderThePointIsHit) {
    const auto root = UIView::make(CGRectMake(0, 0, 100, 100));
    const auto lower = UIView::make(CGRectMake(10, 10, 50, 50));
    const auto upper = UIView::make(CGRectMake(40, 40, 50, 50));
    const auto inner = UIView::make(CGRectMake(5, 5, 10, 10));
    root->addSubview(lower);
    root->addSubview(upper);
    upper->addSubview(inner);
    // Where the two overlap the later one is above; a point is taken in each view's own bounds.
    EXPECT_EQ(root->hitTest(CGPointMake(45, 45)), inner);
    EXPECT_EQ(root->hitTest(CGPointMake(55, 55)), upper);
    EXPECT_EQ(root->hitTest(CGPointMake(15, 15)), lower);
    EXPECT_EQ(root->hitTest(CGPointMake(95, 5)), root);
    EXPECT_EQ(root->hitTest(CGPointMake(100, 50)), nullptr);
    EXPECT_EQ(root->hitTest(CGPointMake(-1, 50)), nullptr);
    // A subview reaches no further than its own frame, even inside the parent.
    EXPECT_EQ(upper->hitTest(CGPointMake(16, 16)), upper);
}

TEST(UIViewHitTest, HiddenOrTransparentViewsAndWhatTheyHoldTakeNoTouch) {
    const auto root = UIView::make(CGRectMake(0, 0, 100, 100));
    const auto below = UIView::make(CGRectMake(0, 0, 100, 100));
    const auto cover = UIView::make(CGRectMake(0, 0, 100, 100));
    const auto child = UIView::make(CGRectMake(0, 0, 20, 20));
    root->addSubview(below);
    root->addSubview(cover);
    cover->addSubview(child);
    EXPECT_EQ(root->hitTest(CGPointMake(5, 5)), child);
    cover->setHidden(true);
    EXPECT_EQ(root->hitTest(CGPointMake(5, 5)), below);
    cover->setHidden(false);
    cover->setAlpha(0.005);
    EXPECT_EQ(root->hitTest(CGPointMake(5, 5)), below);
    cover->setAlpha(0.02);
    EXPECT_EQ(root->hitTest(CGPointMake(5, 5)), child);
}

TEST(UIViewGestureRecognizers, ARecognizerBelongsToOneViewAtATime) {
    const auto first = UIView::make(), second = UIView::make();
    const auto tap = UIGestureRecognizer::make(nullptr);
    const auto hold = UILongPressGestureRecognizer::make(nullptr);
    first->addGestureRecognizer(tap);
    first->addGestureRecognizer(hold);
    EXPECT_EQ(tap->view(), first);
    first->addGestureRecognizer(tap);
    EXPECT_EQ(first->gestureRecognizers(), (Recognizers{hold, tap}));

    second->addGestureRecognizer(tap);
    EXPECT_EQ(first->gestureRecognizers(), Recognizers{hold});
    EXPECT_EQ(tap->view(), second);

    first->removeGestureRecognizer(tap);
    EXPECT_EQ(tap->view(), second) << "not first's to remove";
    second->removeGestureRecognizer(tap);
    EXPECT_TRUE(second->gestureRecognizers().empty());
    EXPECT_EQ(tap->view(), nullptr);
}

TEST(UIGestureRecognizerState, EachStateChangeCallsTheActionWhileEnabled) {
    std::vector<UIGestureRecognizerState> seen;
    const auto hold = UILongPressGestureRecognizer::make(
        [&](UIGestureRecognizer& recognizer) { seen.push_back(recognizer.state()); });
    hold->setState(UIGestureRecognizerStateBegan);
    hold->setState(UIGestureRecognizerStateEnded);
    hold->setEnabled(false);
    hold->setState(UIGestureRecognizerStateBegan);
    EXPECT_EQ(seen, (std::vector{UIGestureRecognizerStateBegan, UIGestureRecognizerStateEnded}));
    EXPECT_EQ(hold->state(), UIGestureRecognizerStateEnded);
}

TEST(UIGestureRecognizerState, AnActionMayRemoveItsOwnRecognizer) {
    const auto view = UIView::make();
    int calls = 0;
    view->addGestureRecognizer(UIGestureRecognizer::make([&](UIGestureRecognizer& recognizer) {
        view->removeGestureRecognizer(
            std::static_pointer_cast<UIGestureRecognizer>(recognizer.shared_from_this()));
        ++calls;
    }));
    const std::weak_ptr<UIGestureRecognizer> watched = view->gestureRecognizers()[0];
    UIGestureRecognizer* recognizer = view->gestureRecognizers()[0].get();
    recognizer->setState(UIGestureRecognizerStateEnded);
    EXPECT_EQ(calls, 1);
    EXPECT_TRUE(watched.expired());
}

TEST(UIKitShared, AControllerStartsWithAPlainViewTheSizeOfTheScreen) {
    const CGRect screenBounds = UIScreen::mainScreen().bounds();
    UIKitHost::setBounds(UIScreen::mainScreen(), CGRectMake(0, 0, 375, 667));
    const auto controller = UIViewController::make();
    ASSERT_TRUE(controller->view());
    EXPECT_EQ(controller->view()->frame(), CGRectMake(0, 0, 375, 667));
    EXPECT_TRUE(controller->view()->subviews().empty());
    UIKitHost::setBounds(UIScreen::mainScreen(), screenBounds);
}

TEST(UIKitShared, TheApplicationSlotHoldsWhatTheHostInstalledAndOpensNothingByItself) {
    EXPECT_EQ(UIApplication::sharedApplication(), nullptr);
    const auto application = UIApplication::make();
    UIKitHost::setSharedApplication(application);
    EXPECT_EQ(UIApplication::sharedApplication(), application);
    EXPECT_FALSE(UIApplication::sharedApplication()->openURL(*NSURL::URLWithString("https://example.com")));
    UIKitHost::setSharedApplication(nullptr);
}

} // namespace
