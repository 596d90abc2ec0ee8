#pragma once

#include "objc/objc-api.h"

#include "CoreGraphics/CGGeometry.h"
#include "UIKit/UIColor.h"

#include <memory>
#include <string_view>

enum NSTextAlignment { NSTextAlignmentLeft = 0, NSTextAlignmentCenter = 1, NSTextAlignmentRight = 2 };

// How text is drawn: the system font at a size and weight, a colour and an alignment.
struct ORVANE_EXPORT NSStringAttributes {
    CGFloat fontSize = 17;
    bool bold = false;
    std::shared_ptr<UIColor> color = UIColor::blackColor();
    NSTextAlignment alignment = NSTextAlignmentLeft;
    // As a label's: 0 wraps as many lines as the text needs; N wraps at most N lines and ends the last with
    // an ellipsis when the text is longer.
    int numberOfLines = 0;
};

// The size of the text wrapped at words to `width` points (CJK text at characters).
ORVANE_EXPORT CGSize NSStringBoundingSize(std::string_view text, CGFloat width,
                                          const NSStringAttributes& attributes);
// Draws the text wrapped in `rect` of the current image context (UIGraphics); what does not fit is cut off.
ORVANE_EXPORT void NSStringDrawInRect(std::string_view text, CGRect rect,
                                      const NSStringAttributes& attributes);
