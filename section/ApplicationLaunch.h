#pragma once

#include "common/FunctionCatalogue.h"

#include <optional>
#include <string_view>

// Which of an application's quick-action lists a routine searches.
enum class ShortcutSearch { staticOnly, staticThenDynamic };

// How an application is opened on one of its home-screen quick actions: the item type to look for, the lists
// searched, and what runs when no item matches (a plain launch, or the URL when there is one). The
// application is the function's target in the catalogue: the first of its candidates that is installed.
struct ShortcutRoutine {
    std::string_view functionId;
    std::string_view action;
    std::string_view itemType;
    ShortcutSearch search;
    std::optional<std::string_view> fallbackURL;
};

// The routine of a function's action; nothing when that action opens no quick action.
const ShortcutRoutine* shortcutRoutineFor(std::string_view functionId, std::string_view action);

// The family of the device the section runs on, as UIDevice reports it.
DeviceFamily currentDeviceFamily();

// Brings the application to the front through its home-screen icon; nothing when it has no icon or the icon
// may not launch.
void launchApplication(std::string_view bundleIdentifier);
// Opens the application on the routine's item, else runs the fallback; nothing when the application is not
// installed (not even the fallback URL).
void launchApplicationShortcut(const ShortcutRoutine& routine, DeviceFamily family);
// Hands the URL to SpringBoard.
void openURLString(std::string_view text);
