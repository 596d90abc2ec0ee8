#pragma once

#include "common/FunctionCatalogue.h"

#include <string_view>

// Runs the default action in force for the function: a sheet, the picker, the scanner, an application on one
// of its quick actions, a launch, the App Store page, or the App Store prompt when the function's application
// is missing. An id outside the catalogue, "DISABLED" included, does nothing.
void performDefaultAction(std::string_view functionId);
// Runs one action of the function as a tap whose default action it is would, without the App Store check
// that comes first for a missing application: what a menu item runs.
void performAction(std::string_view functionId, Action action);
// Whether the function's application is on the home screen: any of its candidates has an icon (on an iPad,
// Skype's iPad application or else the other).
bool functionApplicationInstalled(const FunctionInfo& function);
