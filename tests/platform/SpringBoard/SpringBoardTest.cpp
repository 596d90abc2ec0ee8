#include "SpringBoard/SpringBoard.h"
#include "Foundation/NSURL.h"
#include "SpringBoard/SBApplicationController.h"
#include "SpringBoard/SBControlCenterController.h"
#include "SpringBoard/SBIconController.h"
#include "SpringBoard/SBIconModel.h"
#include "SpringBoard/SBUIController.h"
#include "SpringBoard/SpringBoardHost.h"
#include "UIKit/UIScreen.h"
#include "objc/runtime.h"
#include "support/DeviceEvents.h"
#include "support/TemporaryDevice.h"

#include <gtest/gtest.h>

namespace {

using Lines = std::vector<std::string>;

class SpringBoardTest : public ::testing::Test {
  protected:
    SpringBoardTest() { SpringBoardHost::reset(); }
    ~SpringBoardTest() override {
        SpringBoardHost::unregisterClasses();
        SpringBoardHost::reset();
    }

    static std::shared_ptr<NSObject> classAnswer(std::string_view className, std::string_view selector) {
        const Class cls = NSClassFromString(className);
        return cls ? cls->performClassSelector(selector) : nullptr;
    }

    static void installNotes() {
        SpringBoardHost::installApplication({"com.apple.mobilenotes",
                                             true,
                                             {"com.apple.notes.newNote", "com.apple.notes.photo"},
                                             {"recent"}});
    }

    TemporaryDevice device;
};

TEST_F(SpringBoardTest, RegisteredClassesAnswerTheSharedObjectsByName) {
    SpringBoardHost::registerClasses();
    EXPECT_EQ(classAnswer("SpringBoard", "sharedApplication"), SpringBoard::sharedApplication());
    EXPECT_EQ(classAnswer("SBIconViewMap", "homescreenMap"), SBIconViewMap::homescreenMap());
    EXPECT_EQ(classAnswer("SBUIController", "sharedInstance"), SBUIController::sharedInstance());
    EXPECT_EQ(classAnswer("SBApplicationController", "sharedInstance"),
              SBApplicationController::sharedInstance());
    EXPECT_EQ(classAnswer("SBIconController", "sharedInstance"), SBIconController::sharedInstance());
    EXPECT_EQ(classAnswer("SBControlCenterController", "sharedInstance"),
              SBControlCenterController::sharedInstance());
    EXPECT_EQ(UIApplication::sharedApplication(), SpringBoard::sharedApplication())
        << "SpringBoard is the application object of its process";
    EXPECT_EQ(classAnswer("SpringBoard", "sharedInstance"), nullptr)
        << "only the class methods SpringBoard has";
}

TEST_F(SpringBoardTest, MissingClassesAreNotRegisteredAndTheOthersAre) {
    SpringBoardHost::registerClasses({"SBIconController", "SpringBoard"});
    EXPECT_EQ(NSClassFromString("SBIconController"), nullptr);
    EXPECT_EQ(NSClassFromString("SpringBoard"), nullptr);
    for (const auto name :
         {"SBIconViewMap", "SBUIController", "SBApplicationController", "SBControlCenterController"})
        EXPECT_NE(NSClassFromString(name), nullptr) << name;
}

TEST_F(SpringBoardTest, UnregisteringForgetsEveryName) {
    SpringBoardHost::registerClasses();
    SpringBoardHost::unregisterClasses();
    for (const auto name : SpringBoardHost::classNames())
        EXPECT_EQ(NSClassFromString(name), nullptr) << name;
    EXPECT_EQ(UIApplication::sharedApplication(), nullptr);
    EXPECT_EQ(SpringBoardHost::classNames().size(), 6u);
}

TEST_F(SpringBoardTest, ResetMakesFreshObjectsThatClassMethodsThenAnswer) {
    SpringBoardHost::registerClasses();
    installNotes();
    SpringBoardHost::setLocked(*SpringBoard::sharedApplication(), true);
    const auto before = SpringBoard::sharedApplication();
    SpringBoardHost::reset();
    EXPECT_NE(SpringBoard::sharedApplication(), before);
    EXPECT_FALSE(SpringBoard::sharedApplication()->isLocked());
    EXPECT_EQ(classAnswer("SpringBoard", "sharedApplication"), SpringBoard::sharedApplication());
    EXPECT_EQ(UIApplication::sharedApplication(), SpringBoard::sharedApplication());
    EXPECT_EQ(
        SBApplicationController::sharedInstance()->applicationWithBundleIdentifier("com.apple.mobilenotes"),
        nullptr);
}

TEST_F(SpringBoardTest, AnInstalledApplicationHasItsIconAndItsShortcutItemsInOrder) {
    installNotes();
    const auto application =
        SBApplicationController::sharedInstance()->applicationWithBundleIdentifier("com.apple.mobilenotes");
    ASSERT_NE(application, nullptr);
    EXPECT_EQ(application->bundleIdentifier(), "com.apple.mobilenotes");
    ASSERT_EQ(application->staticShortcutItems().size(), 2u);
    EXPECT_EQ(application->staticShortcutItems()[0]->type(), "com.apple.notes.newNote");
    EXPECT_EQ(application->staticShortcutItems()[1]->type(), "com.apple.notes.photo");
    ASSERT_EQ(application->dynamicShortcutItems().size(), 1u);
    EXPECT_EQ(application->dynamicShortcutItems()[0]->type(), "recent");

    const auto icon = SBIconViewMap::homescreenMap()->iconModel()->applicationIconForBundleIdentifier(
        "com.apple.mobilenotes");
    ASSERT_NE(icon, nullptr);
    EXPECT_TRUE(icon->launchEnabled());
    EXPECT_EQ(icon->application(), application);
}

TEST_F(SpringBoardTest, LookupsOfApplicationsThatAreNotInstalledAnswerNothing) {
    installNotes();
    EXPECT_EQ(
        SBApplicationController::sharedInstance()->applicationWithBundleIdentifier("com.apple.mobilenote"),
        nullptr);
    EXPECT_EQ(SBIconViewMap::homescreenMap()->iconModel()->applicationIconForBundleIdentifier(
                  "com.apple.MobileSMS"),
              nullptr);
}

TEST_F(SpringBoardTest, InstallingAgainReplacesTheApplicationAndItsIcon) {
    installNotes();
    SpringBoardHost::installApplication({"com.apple.mobilenotes", false, {}, {}});
    const auto icon = SBIconViewMap::homescreenMap()->iconModel()->applicationIconForBundleIdentifier(
        "com.apple.mobilenotes");
    ASSERT_NE(icon, nullptr);
    EXPECT_FALSE(icon->launchEnabled());
    EXPECT_TRUE(icon->application()->staticShortcutItems().empty());
    EXPECT_EQ(
        SBApplicationController::sharedInstance()->applicationWithBundleIdentifier("com.apple.mobilenotes"),
        icon->application());
}

TEST_F(SpringBoardTest, KeyValueCodingReachesTheIconModelAndControlCenterViewController) {
    const auto map = SBIconViewMap::homescreenMap();
    EXPECT_EQ(map->valueForKey("iconModel"), map->iconModel());
    EXPECT_EQ(map->valueForKey("iconModels"), nullptr);

    const auto controlCenter = SBControlCenterController::sharedInstance();
    const auto viewController =
        std::dynamic_pointer_cast<UIViewController>(controlCenter->valueForKey("_viewController"));
    ASSERT_NE(viewController, nullptr);
    EXPECT_NE(viewController, controlCenter) << "Control Center's own view controller is another object";
    EXPECT_EQ(viewController->view(), controlCenter->view()) << "it presents over Control Center's view";
    EXPECT_EQ(controlCenter->valueForKey("viewController"), nullptr);
}

TEST_F(SpringBoardTest, ControlCenterSpansTheScreenUntilGivenAnotherWidth) {
    const auto controlCenter = SBControlCenterController::sharedInstance();
    EXPECT_EQ(controlCenter->view()->frame(), UIScreen::mainScreen().bounds());
    SpringBoardHost::setWidth(*controlCenter, 300);
    EXPECT_EQ(controlCenter->view()->frame().size.width, 300);
    EXPECT_EQ(controlCenter->view()->frame().size.height, UIScreen::mainScreen().bounds().size.height);
}

TEST_F(SpringBoardTest, TheApplicationObjectReportsTheDeviceState) {
    const auto springBoard = SpringBoard::sharedApplication();
    EXPECT_FALSE(springBoard->isLocked());
    EXPECT_EQ(springBoard->_frontMostAppOrientation(), 1);
    SpringBoardHost::setLocked(*springBoard, true);
    SpringBoardHost::setFrontMostAppOrientation(*springBoard, 3);
    EXPECT_TRUE(springBoard->isLocked());
    EXPECT_EQ(springBoard->_frontMostAppOrientation(), 3);
}

TEST_F(SpringBoardTest, WhatSpringBoardIsAskedToDoIsRecordedInOrder) {
    installNotes();
    const auto notes =
        SBApplicationController::sharedInstance()->applicationWithBundleIdentifier("com.apple.mobilenotes");
    UIApplication& application = *SpringBoard::sharedApplication();
    EXPECT_TRUE(application.openURL(*NSURL::URLWithString("twitter://post")));
    SBUIController::sharedInstance()->activateApplication(notes);
    SBIconController::sharedInstance()->_activateShortcutItem(notes->staticShortcutItems()[1], notes);
    SBUIController::sharedInstance()->activateApplication(nullptr);
    EXPECT_EQ(loggedEvents(), (Lines{"springboard.openURL url=twitter://post",
                                     "springboard.activateApplication bundle=com.apple.mobilenotes",
                                     "springboard.activateShortcutItem type=com.apple.notes.photo "
                                     "bundle=com.apple.mobilenotes"}));
}

TEST_F(SpringBoardTest, AppStorePagesOpenOnlyWhenTheAppStoreIsInstalled) {
    UIApplication& application = *SpringBoard::sharedApplication();
    const auto page = NSURL::URLWithString("https://apps.apple.com/app/wechat/id414478124");
    EXPECT_FALSE(application.openURL(*page));
    SpringBoardHost::installApplication({"com.apple.AppStore", true, {}, {}});
    EXPECT_TRUE(application.openURL(*page));
    EXPECT_TRUE(application.openURL(*NSURL::URLWithString("https://example.com/app/wechat")));
    EXPECT_EQ(loggedEvents(),
              (Lines{"springboard.openURL url=https://apps.apple.com/app/wechat/id414478124 application=\"\"",
                     "springboard.openURL url=https://apps.apple.com/app/wechat/id414478124 "
                     "application=com.apple.AppStore",
                     "springboard.openURL url=https://example.com/app/wechat"}));
}

TEST_F(SpringBoardTest, DismissingControlCenterClosesItOnlyWhenVisible) {
    const auto controlCenter = SBControlCenterController::sharedInstance();
    controlCenter->dismissAnimated(true);
    EXPECT_FALSE(controlCenter->isVisible());
    SpringBoardHost::setVisible(*controlCenter, true);
    controlCenter->dismissAnimated(false);
    EXPECT_FALSE(controlCenter->isVisible());
    EXPECT_EQ(loggedEvents(), (Lines{"springboard.dismissControlCenter animated=true",
                                     "springboard.dismissControlCenter animated=false"}));
}

TEST_F(SpringBoardTest, ADismissHandlerDecidesHowControlCenterCloses) {
    const auto controlCenter = SBControlCenterController::sharedInstance();
    int handled = 0;
    SpringBoardHost::setDismissHandler(*controlCenter, [&] { ++handled; });
    controlCenter->dismissAnimated(true);
    EXPECT_EQ(handled, 0) << "nothing to close while Control Center is not visible";
    SpringBoardHost::setVisible(*controlCenter, true);
    controlCenter->dismissAnimated(true);
    EXPECT_EQ(handled, 1);
    EXPECT_TRUE(controlCenter->isVisible()) << "the handler, not the controller, hides it";
}

} // namespace
