#include "UIKit/UIButton.h"

#include <gtest/gtest.h>
#include <string>

namespace {

std::shared_ptr<UIImage> makeImage() {
    return UIImage::make(nullptr, 1, UIImageOrientationUp);
}

class UIControlActions : public ::testing::Test {
  protected:
    UIControl::Action record(std::string name) {
        return [this, name](UIControl& sender) {
            EXPECT_EQ(&sender, control.get());
            calls += name;
        };
    }

    std::shared_ptr<UIControl> control = UIControl::make();
    std::string calls;
};

TEST_F(UIControlActions, MatchingActionsRunInTheOrderRegistered) {
    control->addTarget(record("a"), UIControlEventTouchUpInside);
    control->addTarget(record("b"), UIControlEventTouchDown);
    control->addTarget(record("c"),
                       static_cast<UIControlEvents>(UIControlEventTouchDown | UIControlEventTouchUpInside));
    control->sendActionsForControlEvents(UIControlEventTouchUpInside);
    EXPECT_EQ(calls, "ac");
    calls.clear();
    control->sendActionsForControlEvents(
        static_cast<UIControlEvents>(UIControlEventTouchDown | UIControlEventValueChanged));
    EXPECT_EQ(calls, "bc");
    calls.clear();
    control->sendActionsForControlEvents(UIControlEventValueChanged);
    EXPECT_EQ(calls, "");
    EXPECT_EQ(control->actionCountForControlEvents(UIControlEventTouchDown), 2u);
    EXPECT_EQ(control->actionCountForControlEvents(UIControlEventValueChanged), 0u);
}

TEST_F(UIControlActions, AnActionAddedWhileSendingRunsFromTheNextSend) {
    for (int index = 0; index < 8; ++index)
        control->addTarget([this](UIControl&) { control->addTarget(record("+"), UIControlEventTouchDown); },
                           UIControlEventTouchDown);
    control->sendActionsForControlEvents(UIControlEventTouchDown);
    EXPECT_EQ(calls, "");
    EXPECT_EQ(control->actionCountForControlEvents(UIControlEventTouchDown), 16u);
    control->sendActionsForControlEvents(UIControlEventTouchDown);
    EXPECT_EQ(calls, std::string(8, '+'));
}

TEST_F(UIControlActions, AnActionMayReleaseTheControlItIsSentFrom) {
    const auto parent = UIView::make();
    parent->addSubview(control);
    control->addTarget([](UIControl& sender) { sender.removeFromSuperview(); }, UIControlEventTouchUpInside);
    control->addTarget([this](UIControl& sender) { calls += sender.isEnabled() ? "after" : "disabled"; },
                       UIControlEventTouchUpInside);
    const std::weak_ptr<UIControl> watched = control;
    UIControl* sender = control.get();
    control.reset();
    sender->sendActionsForControlEvents(UIControlEventTouchUpInside);
    EXPECT_EQ(calls, "after");
    EXPECT_TRUE(watched.expired());
}

TEST(UIControlStateTest, StateCombinesHighlightedAndDisabled) {
    UIControl control;
    EXPECT_EQ(control.state(), UIControlStateNormal);
    control.setHighlighted(true);
    EXPECT_EQ(control.state(), UIControlStateHighlighted);
    control.setEnabled(false);
    EXPECT_EQ(control.state(), UIControlStateHighlighted | UIControlStateDisabled);
    control.setHighlighted(false);
    EXPECT_EQ(control.state(), UIControlStateDisabled);
}

TEST(UIButtonImages, AStateWithoutItsOwnImageShowsTheNormalOne) {
    const auto button = UIButton::buttonWithType(UIButtonTypeCustom);
    EXPECT_EQ(button->buttonType(), UIButtonTypeCustom);
    EXPECT_EQ(button->currentImage(), nullptr);
    const auto normal = makeImage(), pressed = makeImage(), background = makeImage();
    button->setImage(normal, UIControlStateNormal);
    button->setImage(pressed, UIControlStateHighlighted);
    button->setBackgroundImage(background, UIControlStateNormal);

    EXPECT_EQ(button->currentImage(), normal);
    button->setHighlighted(true);
    EXPECT_EQ(button->currentImage(), pressed);
    EXPECT_EQ(button->backgroundImageForState(button->state()), background);
    button->setEnabled(false);
    EXPECT_EQ(button->currentImage(), normal) << "highlighted and disabled has no image of its own";
    EXPECT_EQ(button->imageForState(UIControlStateDisabled), normal);

    button->setImage(nullptr, UIControlStateHighlighted);
    EXPECT_EQ(button->imageForState(UIControlStateHighlighted), normal);
    button->setImage(nullptr, UIControlStateNormal);
    EXPECT_EQ(button->imageForState(UIControlStateHighlighted), nullptr);
    EXPECT_EQ(button->backgroundImageForState(UIControlStateHighlighted), background);
}

} // namespace
