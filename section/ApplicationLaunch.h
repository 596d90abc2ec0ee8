#pragma once

#include "common/FunctionCatalogue.h"

#include <optional>
#include <string_view>

// A quick action of the catalogue with the function whose application it opens: the first of the
// function's candidates that is installed.
struct ShortcutRoutine {
    std::string_view functionId;
    Action action{};
    QuickAction quickAction;
};

// The routine of a function's action; nothing when that action opens no quick action.
const ShortcutRoutine* shortcutRoutineFor(std::string_view functionId, Action action);

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
