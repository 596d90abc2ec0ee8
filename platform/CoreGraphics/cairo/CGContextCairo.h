#pragma once

#include "CoreGraphics/CGContext.h"

#include <cairo.h>
#include <functional>

// For backends above CoreGraphics that draw with cairo themselves (text with pango): runs `operation` in the
// context's user space, blend mode and clip, as the context's own drawing runs; `alpha` is the context's.
void CGContextDrawWithCairo(const CGContextRef& context,
                            const std::function<void(cairo_t* cairo, CGFloat alpha)>& operation);
