#pragma once

#include "UIKit/UIImage.h"

#include <cstdint>
#include <functional>
#include <memory>
#include <string_view>

class NSBundle;

// What `draw` paints into a fresh transparent image context of `size` points at `scale`.
std::shared_ptr<UIImage> drawnImage(CGSize size, CGFloat scale,
                                    const std::function<void(const CGContextRef&)>& draw);

// The image a button shows for a function: the bundle's "<icon name>-icon.png" (style 0) or
// "<icon name>-black.png" (styles 1 and 2, style 2 turned white), redrawn as an `iconSize` square unless the
// size is 50. Nothing for "DISABLED", an unknown id or a missing file.
std::shared_ptr<UIImage> iconImageForFunction(const NSBundle& bundle, std::string_view functionId,
                                              std::int32_t iconSize, std::int32_t iconStyle);
// A black glyph on a transparent ground turned white; the ground stays transparent.
std::shared_ptr<UIImage> whiteGlyphImage(const std::shared_ptr<UIImage>& image);
// The image cut to a circle (a rounded rectangle whose radius is the image's width).
std::shared_ptr<UIImage> roundedIconImage(const std::shared_ptr<UIImage>& image);
