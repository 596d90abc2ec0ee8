#pragma once

#include "SectionFixture.h"
#include "SpringBoard/SBControlCenterController.h"
#include "SpringBoard/SpringBoardHost.h"
#include "UIKit/UIAlertController.h"
#include "UIKit/UIDevice.h"
#include "UIKit/UIKitHost.h"
#include "support/DeviceEvents.h"
#include "support/PresentationFixture.h"

#include <string>
#include <vector>

// A section on a device whose SpringBoard has only the applications a test installs, with a presentation host
// that answers as the person. What SpringBoard is asked to do is read back as lines, oldest first.
class ActionTest : public SectionTest {
  protected:
    ActionTest() { freshSpringBoard(); }
    ~ActionTest() override {
        section.reset();
        resetSectionState();
        SpringBoardHost::unregisterClasses();
        SpringBoardHost::reset();
        UIKitHost::setUserInterfaceIdiom(UIDevice::currentDevice(), UIUserInterfaceIdiomPhone);
    }

    // An empty SpringBoard, with a section created on it; the settings file stays.
    void freshSpringBoard(UIUserInterfaceIdiom idiom = UIUserInterfaceIdiomPhone) {
        section.reset();
        resetSectionState();
        SpringBoardHost::unregisterClasses();
        SpringBoardHost::reset();
        SpringBoardHost::registerClasses();
        install("com.apple.AppStore");
        UIKitHost::setUserInterfaceIdiom(UIDevice::currentDevice(), idiom);
        section = makeSection();
        clearEvents();
    }

    static void install(std::string bundleIdentifier, std::vector<std::string> staticItems = {},
                        std::vector<std::string> dynamicItems = {}, bool launchEnabled = true) {
        SpringBoardHost::installApplication(
            {std::move(bundleIdentifier), launchEnabled, std::move(staticItems), std::move(dynamicItems)});
    }

    // Slot 1 bound to the function, with the action in force when one is given, then a tap on it.
    void tap(std::string_view functionId, std::string_view action = {}) {
        write("FUNCTION_1", CFPropertyList::string(std::string(functionId)));
        if (!action.empty())
            write("DEFAULT_ACTION_" + std::string(functionId), CFPropertyList::string(std::string(action)));
        tapButton(1);
    }
    void tapButton(std::size_t slot) {
        section->button(slot)->sendActionsForControlEvents(UIControlEventTouchUpInside);
    }

    // Control Center as the loader opens and closes it.
    void controlCenterOpen() {
        section->controlCenterWillAppear();
        SpringBoardHost::setVisible(*SBControlCenterController::sharedInstance(), true);
        NSNotificationCenter::defaultCenter().postNotificationName(CaddexCCDidAppearNotification, nullptr);
    }
    void controlCenterClosed() {
        NSNotificationCenter::defaultCenter().postNotificationName(CaddexCCWillDisappearNotification,
                                                                   nullptr);
        SpringBoardHost::setVisible(*SBControlCenterController::sharedInstance(), false);
        section->controlCenterDidDisappear();
    }

    // The message of the alert the person sees; empty when none is shown.
    std::string shownAlert() const {
        const auto shown = presentation.shown();
        const auto alert =
            shown.empty() ? nullptr : std::dynamic_pointer_cast<UIAlertController>(shown.back());
        return alert ? alert->message().value_or("") : "";
    }
    static std::string prompt(std::string_view appStoreName) {
        return "Open App Store to download \"" + std::string(appStoreName) + "\"?";
    }

    static std::vector<std::string> springBoardEvents() { return loggedEvents("springboard."); }
    // Presentations and dismissals, without the warm-up's action sheets.
    static std::vector<std::string> presentationEvents() {
        auto events = loggedEvents("uikit.");
        std::erase_if(events,
                      [](const std::string& event) { return event.starts_with("uikit.actionSheet"); });
        return events;
    }
    static void clearEvents() { EventLog::clear(); }

    static std::string activated(std::string_view bundleIdentifier) {
        return "springboard.activateApplication bundle=" + std::string(bundleIdentifier);
    }
    static std::string activatedItem(std::string_view type, std::string_view bundleIdentifier) {
        return "springboard.activateShortcutItem type=" + std::string(type) +
               " bundle=" + std::string(bundleIdentifier);
    }
    static std::string opened(std::string_view url) { return "springboard.openURL url=" + std::string(url); }
    // The application's page, opened in the App Store.
    static std::string openedStorePage(std::string_view path) {
        return opened("https://apps.apple.com/app/" + std::string(path)) + " application=com.apple.AppStore";
    }
    static std::string dismissedControlCenter() { return "springboard.dismissControlCenter animated=true"; }
    // An alert as the log describes it: its class, then `fields` (style, title, message, actions).
    static std::string presented(std::string_view fields) {
        return "uikit.presented controller=UIAlertController presenter=UIViewController animated=true " +
               std::string(fields);
    }
    static std::string dismissed(std::string_view fields) {
        return "uikit.dismissed controller=UIAlertController presenter=UIViewController animated=true " +
               std::string(fields);
    }
    // The warm-up's empty sheet, shown and at once dismissed.
    static std::vector<std::string> warmUpFlash() {
        return {"uikit.actionSheet.shown title=\"\"", "uikit.actionSheet.dismissed buttonIndex=-1"};
    }

    PresentationFixture presentation;
};
