#pragma once

#include "UIKit/UIAlertController.h"
#include "UIKit/UIViewController.h"

#include <functional>
#include <memory>
#include <string>
#include <string_view>

// Everything the section shows goes over Control Center, presented by Control Center's own view controller
// and held, one at a time, in the module's presentedController slot.

// The web host of App Store pages.
inline constexpr std::string_view appStoreHost = "apps.apple.com";

// The section bundle's text for `key` in its "Localizable" table; the key itself when the table lacks it.
std::string localizedString(std::string_view key);

// Puts the controller in the slot and presents it from Control Center's view controller, animated; nothing
// is kept when there is no one to present it.
void presentOverControlCenter(const std::shared_ptr<UIViewController>& controller);
// Takes the controller out of the slot and dismisses it, when it is the one there; answers whether it was.
// Answers of a sheet or picker closed another way change nothing.
bool closeIfPresented(const std::shared_ptr<UIViewController>& controller, bool animated);
// Adds an action titled with the localised `title` to `alert`: its handler runs `then`, or else dismisses the
// alert, and empties the slot.
std::shared_ptr<UIAlertAction> closingAction(const std::shared_ptr<UIAlertController>& alert,
                                             std::string_view title, UIAlertActionStyle style,
                                             std::function<void()> then = nullptr);
// Dismisses what the slot holds and empties the slot. Sheets the section made are released; alerts and
// Social sheets, which came from factories, are only let go of.
void closePresentedController();
// Shows and at once dismisses an empty action sheet from the section's view, once per appearance, so that
// the first real sheet of an appearance does not stall.
void warmUpPresentation();
// With the front-most application not upright and landscape not allowed, shows the landscape alert and
// answers true: the caller then stops.
bool presentLandscapeAlertIfNeeded();
// Offers the application in the App Store: "OK" opens its page, "Cancel" closes the prompt.
void promptAppStore(std::string_view appStoreName, std::string_view appStorePath);
// Opens the application's App Store web page; Control Center stays.
void openAppStorePage(std::string_view appStorePath);
// Closes Control Center after a flow succeeded, when the settings ask for it.
void dismissControlCenterIfWanted();
