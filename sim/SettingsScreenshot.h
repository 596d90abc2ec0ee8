#pragma once

#include "Screenshot.h"
#include "SettingsApplication.h"
#include "Touchables.h"
#include "UIKit/UIImage.h"

#include <optional>
#include <string>

// The Settings application's page as it shows on the screen, in the grouped-table style, the whole page from
// the navigation bar to the last footer, at the main screen's width and scale; each row, control and bar
// button goes to `touchables`. Nothing when the application is not open.
std::shared_ptr<UIImage> drawSettingsPage(const SettingsApplication& application, Touchables& touchables);

// The page as drawSettingsPage draws it, or why it cannot be drawn.
DrawnScreen settingsScreenImage(const SettingsApplication& application);
