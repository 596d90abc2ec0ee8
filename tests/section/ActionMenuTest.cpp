#include "ActionFixture.h"

#include "UIKit/MediaHost.h"
#include "UIKit/UIImagePickerController.h"
#include "section/ActionMenu.h"
#include "section/Presentation.h"

namespace {

using Titles = std::vector<std::string>;

class ActionMenuTest : public ActionTest {
  protected:
    ~ActionMenuTest() override { closePresentedController(); }

    // Slot 1 bound to the function, then a long press on it that ends.
    void hold(std::string_view functionId) {
        write("FUNCTION_1", CFPropertyList::string(std::string(functionId)));
        const auto& press = section->longPress(1);
        press->setState(UIGestureRecognizerStateBegan);
        press->setState(UIGestureRecognizerStateEnded);
    }
    static std::shared_ptr<UIAlertController> menu() {
        const auto alert = std::dynamic_pointer_cast<UIAlertController>(sectionState().presentedController);
        return alert && alert->preferredStyle() == UIAlertControllerStyleActionSheet ? alert : nullptr;
    }
    static Titles titles() {
        Titles list;
        if (const auto shown = menu())
            for (const auto& action : shown->actions())
                list.push_back(action->title());
        return list;
    }
    // Holds the function's button and chooses the item.
    void choose(std::string_view functionId, std::string_view item) {
        hold(functionId);
        ASSERT_TRUE(menu()) << functionId;
        ASSERT_TRUE(PersonAnswers::chooseActionWithTitle(*menu(), item)) << functionId << " " << item;
    }
    static bool warmedUp() { return !loggedEvents("uikit.actionSheet").empty(); }
};

TEST_F(ActionMenuTest, OnlyAPressThatEndsOpensTheMenuAndADisabledSlotOpensNothing) {
    write("FUNCTION_1", CFPropertyList::string("APP-Calendar"));
    const auto& press = section->longPress(1);
    press->setState(UIGestureRecognizerStateBegan);
    press->setState(UIGestureRecognizerStateChanged);
    EXPECT_EQ(sectionState().presentedController, nullptr) << "the finger is still down";
    press->setState(UIGestureRecognizerStateEnded);
    EXPECT_EQ(titles(), (Titles{"New Event", "Launch", "Cancel"}));
    closePresentedController();

    for (const auto* id : {"DISABLED", "APP-Unknown"}) {
        sectionSettingsState().settings.functions[0] = id;
        press->setState(UIGestureRecognizerStateEnded);
        EXPECT_EQ(sectionState().presentedController, nullptr) << id;
    }
    EXPECT_EQ(springBoardEvents(), std::vector<std::string>{});
}

TEST_F(ActionMenuTest, StoreApplicationsEndWithTheAppStoreItemOnlyWhileItIsEnabledAndCancelIsPreferred) {
    install("com.facebook.Facebook");
    hold("APP-Facebook");
    EXPECT_EQ(titles(), (Titles{"New Post", "Take Photo/Video", "Upload Photo/Video", "Launch",
                                "Open in App Store", "Cancel"}));
    const auto shown = menu();
    EXPECT_EQ(shown->preferredAction(), shown->actions().back());
    EXPECT_EQ(shown->actions().back()->style(), UIAlertActionStyleCancel);
    EXPECT_EQ(shown->title(), std::nullopt);
    ASSERT_TRUE(PersonAnswers::chooseActionWithTitle(*shown, "Cancel"));
    EXPECT_EQ(sectionState().presentedController, nullptr);

    write("APP_STORE_ENABLED", CFPropertyList::boolean(false));
    hold("APP-Facebook");
    EXPECT_EQ(titles(), (Titles{"New Post", "Take Photo/Video", "Upload Photo/Video", "Launch", "Cancel"}));
    closePresentedController();

    clearEvents();
    choose("APP-Facebook", "Launch");
    EXPECT_EQ(springBoardEvents(), std::vector<std::string>{activated("com.facebook.Facebook")});
    write("APP_STORE_ENABLED", CFPropertyList::boolean(true));
    clearEvents();
    choose("APP-Facebook", "Open in App Store");
    EXPECT_EQ(springBoardEvents(), std::vector<std::string>{openedStorePage("facebook/id284882215")});
}

TEST_F(ActionMenuTest, AMissingStoreApplicationIsOfferedInTheAppStoreWhateverTheSetting) {
    for (const bool enabled : {true, false}) {
        write("APP_STORE_ENABLED", CFPropertyList::boolean(enabled));
        hold("APP-WeChat");
        EXPECT_EQ(menu(), nullptr);
        EXPECT_EQ(shownAlert(), prompt("WeChat")) << enabled;
        closePresentedController();
    }
    // The applications of the system need no test, and only system functions warm up.
    for (const auto* id : {"APP-Calendar", "APP-FMF", "APP-Notes"}) {
        clearEvents();
        hold(id);
        EXPECT_NE(menu(), nullptr) << id;
        EXPECT_FALSE(warmedUp()) << id;
        closePresentedController();
    }
}

// The menu was opened while the icon was there; by the time Launch is chosen it is gone.
TEST_F(ActionMenuTest, LaunchOfAStoreApplicationWhoseIconIsGoneDoesNothingWhileASystemFunctionPrompts) {
    const struct {
        std::string_view functionId, item;
        std::string alert;
    } cases[] = {{"APP-Facebook", "Launch", ""}, {"SYS-Facebook", "Launch Facebook", prompt("Facebook")}};
    for (const auto& item : cases) {
        install("com.facebook.Facebook");
        hold(item.functionId);
        ASSERT_NE(menu(), nullptr) << item.functionId;
        SpringBoardHost::removeIcon("com.facebook.Facebook");
        clearEvents();
        ASSERT_TRUE(PersonAnswers::chooseActionWithTitle(*menu(), item.item)) << item.functionId;
        EXPECT_EQ(springBoardEvents(), std::vector<std::string>{}) << item.functionId;
        EXPECT_EQ(shownAlert(), item.alert) << item.functionId;
        closePresentedController();
    }
}

TEST_F(ActionMenuTest, SkypeCountsAsInstalledByTheDevicesOwnRule) {
    freshSpringBoard(UIUserInterfaceIdiomPad);
    install("com.skype.skype");
    choose("APP-Skype", "Launch");
    EXPECT_EQ(springBoardEvents(), std::vector<std::string>{activated("com.skype.skype")});

    freshSpringBoard(UIUserInterfaceIdiomPhone);
    install("com.skype.SkypeForiPad");
    hold("APP-Skype");
    EXPECT_EQ(menu(), nullptr);
    EXPECT_EQ(shownAlert(), prompt("Skype for iPhone"));
}

TEST_F(ActionMenuTest, SystemMenusWarmUpAndTheirItemsRunWhatATapRuns) {
    controlCenterOpen();
    hold("SYS-Photo");
    EXPECT_TRUE(warmedUp());
    EXPECT_EQ(titles(),
              (Titles{"Take Photo/Video", "Choose from Library", "Scan Code", "Launch Photos", "Cancel"}));
    closePresentedController();

    const struct {
        std::string_view functionId, item;
        int pickerMode;
        std::vector<std::string> mediaTypes;
    } cases[] = {{"SYS-Mail", "Take Photo/Video", 1, {"public.image", "public.movie"}},
                 {"SYS-Twitter", "Take Photo", 6, {"public.image"}}};
    for (const auto& item : cases) {
        choose(item.functionId, item.item);
        EXPECT_EQ(int(sectionState().pickerMode), item.pickerMode) << item.functionId;
        const auto picker =
            std::dynamic_pointer_cast<UIImagePickerController>(sectionState().presentedController);
        ASSERT_NE(picker, nullptr) << item.functionId;
        EXPECT_EQ(picker->sourceType(), UIImagePickerControllerSourceTypeCamera);
        EXPECT_EQ(picker->mediaTypes(), item.mediaTypes);
        closePresentedController();
        sectionState().pickerMode = PickerMode::none;
    }
    choose("SYS-Photo", "Scan Code");
    EXPECT_EQ(sectionState().presentedController->className(), "UINavigationController");
}

TEST_F(ActionMenuTest, InstagramsCameraOpensItsURLAndAChosenMenuStaysInTheSlotUntilClosed) {
    install("com.burbn.instagram");
    choose("APP-Instagram", "Take Photo/Video");
    EXPECT_EQ(springBoardEvents(), std::vector<std::string>{opened("instagram://camera")});
    const std::weak_ptr<UIViewController> chosen = sectionState().presentedController;
    EXPECT_FALSE(chosen.expired()) << "the slot keeps the dismissed menu alive";
    clearEvents();
    closePresentedController();
    EXPECT_TRUE(chosen.expired());
    EXPECT_EQ(loggedEvents("uikit."), std::vector<std::string>{}) << "a dismissal that finds nothing";
}

} // namespace
