#pragma once

#include "objc/objc-api.h"

#include "CoreGraphics/CGContext.h"
#include "CoreGraphics/CGGeometry.h"

#include <memory>

class UIImage;

// The image context stack. A new context is `size` points at `scale` pixels per point (0: the main
// screen's scale) and, as in UIKit, its user space is flipped so that the origin is at the top left and
// one unit is one point.
ORVANE_EXPORT void UIGraphicsBeginImageContextWithOptions(CGSize size, bool opaque, CGFloat scale);
ORVANE_EXPORT void UIGraphicsBeginImageContext(CGSize size);
// The innermost open context; nothing when none is open.
ORVANE_EXPORT CGContextRef UIGraphicsGetCurrentContext();
// What the innermost context holds, at its scale; nothing when none is open.
ORVANE_EXPORT std::shared_ptr<UIImage> UIGraphicsGetImageFromCurrentImageContext();
ORVANE_EXPORT void UIGraphicsEndImageContext();

ORVANE_EXPORT void UIRectFill(CGRect rect);
