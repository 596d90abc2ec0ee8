#include "ActionFixture.h"

#include "SpringBoard/SBControlCenterController.h"
#include "SpringBoard/SpringBoard.h"
#include "SpringBoard/SpringBoardHost.h"
#include "UIKit/UIAlertController.h"
#include "section/Presentation.h"

namespace {

using Events = std::vector<std::string>;

const std::string weChatPrompt =
    "style=alert title=\"\" message=\"Open App Store to download \\\"WeChat\\\"?\" "
    "actions=\"OK (default, preferred); Cancel (cancel)\"";

TEST_F(ActionTest, TheAppStorePromptOffersThePageAndLeavesControlCenterOpen) {
    controlCenterOpen();
    tap("APP-WeChat", "Chat");
    const auto alert = std::dynamic_pointer_cast<UIAlertController>(sectionState().presentedController);
    ASSERT_TRUE(alert);
    EXPECT_EQ(presentationEvents(), Events{presented(weChatPrompt)});

    clearEvents();
    ASSERT_TRUE(PersonAnswers::chooseActionWithTitle(*alert, "OK"));
    EXPECT_EQ(springBoardEvents(), Events{openedStorePage("wechat/id414478124")});
    EXPECT_EQ(presentationEvents(), Events{dismissed(weChatPrompt)});
    EXPECT_EQ(sectionState().presentedController, nullptr);
    EXPECT_TRUE(SBControlCenterController::sharedInstance()->isVisible());

    tap("APP-WeChat", "Chat");
    clearEvents();
    ASSERT_TRUE(PersonAnswers::chooseActionWithTitle(
        *std::dynamic_pointer_cast<UIAlertController>(sectionState().presentedController), "Cancel"));
    EXPECT_EQ(springBoardEvents(), Events{});
    EXPECT_EQ(presentationEvents(), Events{dismissed(weChatPrompt)})
        << "the handler's own dismissal finds nothing left";
    EXPECT_EQ(sectionState().presentedController, nullptr);
}

TEST_F(ActionTest, TheLandscapeGuardSpeaksUnlessTheApplicationIsUprightOrLandscapeIsAllowed) {
    for (const int orientation : {0, 1, 2, 3, 4}) {
        SpringBoardHost::setFrontMostAppOrientation(*SpringBoard::sharedApplication(), orientation);
        const bool shown = presentLandscapeAlertIfNeeded();
        EXPECT_EQ(shown, orientation == 0 || orientation > 2) << "orientation " << orientation;
        EXPECT_EQ(shownAlert(), shown ? "Landscape mode is currently not supported." : "");
        if (shown) {
            EXPECT_EQ(
                presentationEvents().back(),
                presented("style=alert title=\"\" message=\"Landscape mode is currently not supported.\" "
                          "actions=\"OK (cancel, preferred)\""));
            ASSERT_TRUE(PersonAnswers::chooseActionWithTitle(
                *std::dynamic_pointer_cast<UIAlertController>(sectionState().presentedController), "OK"));
            EXPECT_EQ(sectionState().presentedController, nullptr);
        }
    }
    write("LANDSCAPE_ENABLED", CFPropertyList::boolean(true));
    SpringBoardHost::setFrontMostAppOrientation(*SpringBoard::sharedApplication(), 3);
    EXPECT_FALSE(presentLandscapeAlertIfNeeded());
}

TEST_F(ActionTest, ClosingControlCenterClosesTheAlertAndEmptiesTheSlot) {
    controlCenterOpen();
    tap("APP-WeChat", "Chat");
    const auto alert = sectionState().presentedController;
    clearEvents();
    controlCenterClosed();
    EXPECT_EQ(presentationEvents(), Events{dismissed(weChatPrompt)});
    EXPECT_EQ(sectionState().presentedController, nullptr);
    EXPECT_EQ(shownAlert(), "");

    // An alert that went away by itself but is still in the slot is sent a dismissal that finds nothing.
    sectionState().presentedController = alert;
    clearEvents();
    closePresentedController();
    EXPECT_EQ(presentationEvents(), Events{});
    EXPECT_EQ(sectionState().presentedController, nullptr);
}

TEST_F(ActionTest, TheWarmUpFlashesAtMostOncePerAppearance) {
    controlCenterOpen();
    warmUpPresentation();
    warmUpPresentation();
    EXPECT_EQ(loggedEvents("uikit.actionSheet"), warmUpFlash());
    controlCenterClosed();
    controlCenterOpen();
    clearEvents();
    warmUpPresentation();
    warmUpPresentation();
    EXPECT_EQ(loggedEvents("uikit.actionSheet"), warmUpFlash());
}

TEST_F(ActionTest, ControlCenterClosesAfterAFlowOnlyWhenTheSettingsAskAndItIsOpen) {
    dismissControlCenterIfWanted();
    controlCenterOpen();
    dismissControlCenterIfWanted();
    EXPECT_EQ(springBoardEvents(), Events{});
    write("CC_DISMISS", CFPropertyList::boolean(true));
    dismissControlCenterIfWanted();
    EXPECT_EQ(springBoardEvents(), Events{dismissedControlCenter()});
    EXPECT_FALSE(SBControlCenterController::sharedInstance()->isVisible());
    dismissControlCenterIfWanted();
    EXPECT_EQ(springBoardEvents(), Events{dismissedControlCenter()});
}

} // namespace
