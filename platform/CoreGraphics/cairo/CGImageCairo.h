#pragma once

#include "CoreGraphics/CGImage.h"
#include "CoreGraphics/cairo/CairoHandles.h"

// A read-only ARGB32 surface over the image's own pixels: it must not outlive the image.
CairoSurface surfaceForImage(const CGImage& image);

// A copy of an image surface of any format; nothing when the surface is broken or beyond CGImage's limits.
CGImageRef imageFromSurface(cairo_surface_t* surface);
