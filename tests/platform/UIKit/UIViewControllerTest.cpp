#include "UIKit/UIViewController.h"
#include "Foundation/NSRunLoop.h"

#include "support/DeviceEvents.h"
#include "support/PresentationFixture.h"
#include "support/TemporaryDevice.h"

#include <gtest/gtest.h>
#include <string>

namespace {

using Controllers = std::vector<std::shared_ptr<UIViewController>>;

class Presentation : public ::testing::Test {
  protected:
    UIViewController::Completion record(std::string name) {
        return [this, name] { completions += name; };
    }

    TemporaryDevice device;
    PresentationFixture person;
    std::shared_ptr<UIViewController> root = UIViewController::make();
    std::shared_ptr<UIViewController> sheet = UIViewController::make();
    std::shared_ptr<UIViewController> picker = UIViewController::make();
    std::string completions;
};

TEST_F(Presentation, AChainPresentsAndDismissesFromTheTopWithCompletions) {
    root->presentViewController(sheet, true, record("a"));
    sheet->presentViewController(picker, false, record("b"));
    EXPECT_EQ(completions, "") << "completions wait for a later turn of the run loop";
    NSRunLoop::mainRunLoop().runPendingEvents();
    EXPECT_EQ(completions, "ab");
    EXPECT_EQ(root->presentedViewController(), sheet);
    EXPECT_EQ(picker->presentingViewController(), sheet);
    EXPECT_EQ(root->visibleViewController(), picker);
    EXPECT_EQ(sheet->visibleViewController(), picker);
    EXPECT_EQ(person.shown(), (Controllers{sheet, picker}));

    root->dismissViewControllerAnimated(true, record("c"));
    EXPECT_EQ(root->presentedViewController(), nullptr);
    EXPECT_EQ(sheet->presentedViewController(), nullptr);
    EXPECT_EQ(picker->presentingViewController(), nullptr);
    EXPECT_EQ(root->visibleViewController(), root);
    EXPECT_TRUE(person.shown().empty());
    NSRunLoop::mainRunLoop().runPendingEvents();
    EXPECT_EQ(completions, "abc");

    // Nothing left to dismiss: the completion still runs, so that a flow waiting on it goes on.
    root->dismissViewControllerAnimated(false, record("d"));
    NSRunLoop::mainRunLoop().runPendingEvents();
    EXPECT_EQ(completions, "abcd");
    EXPECT_EQ(
        loggedEvents("uikit.dismissed"),
        (std::vector<std::string>(
            2, "uikit.dismissed controller=UIViewController presenter=UIViewController animated=true")));
}

TEST_F(Presentation, APresentingOrPresentedControllerRefusesAnotherPresentation) {
    root->presentViewController(sheet, true, record("a"));
    root->presentViewController(picker, true, record("refused: root is presenting"));
    picker->presentViewController(sheet, true, record("refused: sheet is presented"));
    sheet->presentViewController(root, true, record("refused: root presents sheet"));
    sheet->presentViewController(sheet, true, record("refused: itself, presented already"));
    NSRunLoop::mainRunLoop().runPendingEvents();
    EXPECT_EQ(completions, "a");
    EXPECT_EQ(root->presentedViewController(), sheet);
    EXPECT_EQ(sheet->presentingViewController(), root);
    EXPECT_EQ(picker->presentingViewController(), nullptr);
    EXPECT_EQ(picker->presentedViewController(), nullptr);
    EXPECT_EQ(person.shown(), Controllers{sheet});
    EXPECT_EQ(
        loggedEvents("uikit."),
        (std::vector<std::string>{
            "uikit.presented controller=UIViewController presenter=UIViewController animated=true",
            "uikit.presentRefused controller=UIViewController presenter=UIViewController reason=presenting",
            "uikit.presentRefused controller=UIViewController presenter=UIViewController reason=presented",
            "uikit.presentRefused controller=UIViewController presenter=UIViewController reason=presenter",
            "uikit.presentRefused controller=UIViewController presenter=UIViewController reason=presented",
        }));
}

TEST_F(Presentation, ThePersonDismissesTheTopmostControllerThroughTheHost) {
    root->presentViewController(sheet, true, nullptr);
    sheet->presentViewController(picker, true, nullptr);
    EXPECT_TRUE(person.dismissTopmost());
    EXPECT_EQ(sheet->presentedViewController(), nullptr);
    EXPECT_EQ(root->presentedViewController(), sheet);
    EXPECT_EQ(person.shown(), Controllers{sheet});
    EXPECT_TRUE(person.dismissTopmost());
    EXPECT_EQ(root->presentedViewController(), nullptr);
    EXPECT_FALSE(person.dismissTopmost());

    // A presenter that goes away takes what it presents with it; the host shows nothing of it.
    root->presentViewController(sheet, true, nullptr);
    root.reset();
    EXPECT_TRUE(person.shown().empty());
}

} // namespace
