#pragma once

#include <string_view>

// Runs the default action in force for the function: a sheet, the picker, the scanner, an application on one
// of its quick actions, a launch, the App Store page, or the App Store prompt when the function's application
// is missing. An id outside the catalogue, "DISABLED" included, does nothing.
void performDefaultAction(std::string_view functionId);
