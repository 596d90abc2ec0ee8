#pragma once

#include "objc/objc-api.h"

#include "CoreGraphics/CGGeometry.h"

#include <memory>

// A colour in device RGB with alpha, components 0 to 1. Immutable once made.
struct ORVANE_EXPORT CGColor {
    CGFloat red, green, blue, alpha;
};
using CGColorRef = std::shared_ptr<const CGColor>;

inline CGColorRef CGColorCreateSRGB(CGFloat r, CGFloat g, CGFloat b, CGFloat a) {
    return std::make_shared<const CGColor>(CGColor{r, g, b, a});
}
