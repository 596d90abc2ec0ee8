#pragma once

#include <string_view>

// The menu of every action of the function, as an action sheet over Control Center ending with "Cancel";
// for a store application that is missing, the App Store prompt instead; for an id outside the menus,
// "DISABLED" included, nothing.
void showActionMenu(std::string_view functionId);
