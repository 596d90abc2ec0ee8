#pragma once

#include "Touchables.h"
#include "UIKit/PresentationHost.h"
#include "UIKit/UIImage.h"
#include "UIKit/UIView.h"

#include <filesystem>
#include <memory>
#include <optional>
#include <string>
#include <variant>

// Control Center's backdrop: the light frosted panel of the system the section was made for, on which the
// black glyphs (icon style 1) show as well as the colour icons.
inline constexpr struct { CGFloat red, green, blue; } controlCenterBackdrop = {0.84, 0.85, 0.87};

// The view as drawn over Control Center's light backdrop, with a margin of backdrop above and below, at the
// main screen's scale.
std::shared_ptr<UIImage> screenshotOfView(const UIView& view);

inline constexpr CGFloat screenshotMargin = 8;

// The whole screen at its scale: Control Center at the bottom with the section in it, under what is
// presented over it (an alert, a sheet, the picker, the scanner filling the screen). What a finger can press
// on what is presented goes to `touchables`.
std::shared_ptr<UIImage> screenshotOfScreen(const UIView& section, const Presented& presented,
                                            Touchables& touchables);

// Where the section's top left corner lies in its screenshot, alone (screenshotOfView) or at the bottom of
// the whole screen.
CGPoint sectionOrigin(const UIView& section, bool wholeScreen);

// A screen as drawn, or why it could not be drawn.
using DrawnScreen = std::variant<std::shared_ptr<UIImage>, std::string>;

// Whether the two show the same pixels at the same size.
bool samePixels(const UIImage& one, const UIImage& other);

// Writes the image as a PNG file on the host; answers what went wrong, or nothing.
std::optional<std::string> writePNG(const UIImage& image, const std::filesystem::path& file);
