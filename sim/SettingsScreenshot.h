#pragma once

#include "SettingsApplication.h"
#include "Touchables.h"
#include "UIKit/UIImage.h"

#include <filesystem>
#include <optional>
#include <string>
#include <variant>

struct PixelSize {
    int width;
    int height;
};

// The Settings application's page as it shows on the screen, in the grouped-table style, the whole page from
// the navigation bar to the last footer, at the main screen's width and scale; each row, control and bar
// button goes to `touchables`. Nothing when the application is not open.
std::shared_ptr<UIImage> drawSettingsPage(const SettingsApplication& application, Touchables& touchables);

// The page as drawSettingsPage draws it, written as a PNG file.
// The size written, or what went wrong.
std::variant<PixelSize, std::string> writeSettingsScreenshot(const SettingsApplication& application,
                                                             const std::filesystem::path& file);
