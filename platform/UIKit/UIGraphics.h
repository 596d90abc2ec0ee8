#pragma once

#include "CoreGraphics/CGContext.h"
#include "CoreGraphics/CGGeometry.h"

#include <memory>

class UIImage;

// The image context stack. A new context is `size` points at `scale` pixels per point (0: the main
// screen's scale) and, as in UIKit, its user space is flipped so that the origin is at the top left and
// one unit is one point.
void UIGraphicsBeginImageContextWithOptions(CGSize size, bool opaque, CGFloat scale);
void UIGraphicsBeginImageContext(CGSize size);
// The innermost open context; nothing when none is open.
CGContextRef UIGraphicsGetCurrentContext();
// What the innermost context holds, at its scale; nothing when none is open.
std::shared_ptr<UIImage> UIGraphicsGetImageFromCurrentImageContext();
void UIGraphicsEndImageContext();

void UIRectFill(CGRect rect);
