#pragma once

#include "objc/objc-api.h"

#include "CoreGraphics/CGGeometry.h"
#include "CoreGraphics/CGImage.h"

#include <cstddef>
#include <memory>
#include <span>
#include <vector>

class CGPath;

// A bitmap drawing context with CoreGraphics' semantics: user space starts with the origin at the bottom
// left and y growing upwards, in pixels; CGContextDrawImage draws an image upright in that space (so in a
// flipped space it comes out upside down, as on a device).
struct CGContext;
using CGContextRef = std::shared_ptr<CGContext>;

enum CGBlendMode {
    kCGBlendModeNormal = 0,
    kCGBlendModeDifference = 10,
    kCGBlendModeClear = 16,
    kCGBlendModeCopy = 17,
};

// A transparent bitmap of width x height pixels; nothing when a side is 0 or the size is beyond CGImage's
// limits.
ORVANE_EXPORT CGContextRef CGBitmapContextCreate(std::size_t width, std::size_t height);
ORVANE_EXPORT CGImageRef CGBitmapContextCreateImage(const CGContextRef& context);
ORVANE_EXPORT std::size_t CGBitmapContextGetWidth(const CGContextRef& context);
ORVANE_EXPORT std::size_t CGBitmapContextGetHeight(const CGContextRef& context);

ORVANE_EXPORT void CGContextSaveGState(const CGContextRef& context);
ORVANE_EXPORT void CGContextRestoreGState(const CGContextRef& context);
// Until the matching end, drawing goes to a transparent layer (at alpha 1, normal blending), which the end
// then composites as one picture with the alpha, blend mode and clip in force at the beginning.
ORVANE_EXPORT void CGContextBeginTransparencyLayer(const CGContextRef& context);
ORVANE_EXPORT void CGContextEndTransparencyLayer(const CGContextRef& context);

ORVANE_EXPORT void CGContextTranslateCTM(const CGContextRef& context, CGFloat tx, CGFloat ty);
ORVANE_EXPORT void CGContextScaleCTM(const CGContextRef& context, CGFloat sx, CGFloat sy);
ORVANE_EXPORT void CGContextRotateCTM(const CGContextRef& context, CGFloat angle);
ORVANE_EXPORT void CGContextConcatCTM(const CGContextRef& context, CGAffineTransform transform);
ORVANE_EXPORT CGAffineTransform CGContextGetCTM(const CGContextRef& context);

ORVANE_EXPORT void CGContextSetBlendMode(const CGContextRef& context, CGBlendMode mode);
ORVANE_EXPORT void CGContextSetAlpha(const CGContextRef& context, CGFloat alpha);
ORVANE_EXPORT void CGContextSetRGBFillColor(const CGContextRef& context, CGFloat red, CGFloat green,
                                            CGFloat blue, CGFloat alpha);
ORVANE_EXPORT void CGContextSetRGBStrokeColor(const CGContextRef& context, CGFloat red, CGFloat green,
                                              CGFloat blue, CGFloat alpha);
ORVANE_EXPORT void CGContextSetLineWidth(const CGContextRef& context, CGFloat width);

enum CGLineCap { kCGLineCapButt = 0, kCGLineCapRound = 1, kCGLineCapSquare = 2 };
enum CGLineJoin { kCGLineJoinMiter = 0, kCGLineJoinRound = 1, kCGLineJoinBevel = 2 };
ORVANE_EXPORT void CGContextSetLineCap(const CGContextRef& context, CGLineCap cap);
ORVANE_EXPORT void CGContextSetLineJoin(const CGContextRef& context, CGLineJoin join);
// Strokes alternate the lengths drawn and skipped, starting `phase` into the pattern; no lengths (or lengths
// that draw nothing) give a solid line.
ORVANE_EXPORT void CGContextSetLineDash(const CGContextRef& context, CGFloat phase,
                                        std::span<const CGFloat> lengths);

ORVANE_EXPORT void CGContextFillRect(const CGContextRef& context, CGRect rect);
ORVANE_EXPORT void CGContextClearRect(const CGContextRef& context, CGRect rect);
ORVANE_EXPORT void CGContextStrokeRect(const CGContextRef& context, CGRect rect);
ORVANE_EXPORT void CGContextDrawImage(const CGContextRef& context, CGRect rect, const CGImageRef& image);

ORVANE_EXPORT void CGContextClipToRect(const CGContextRef& context, CGRect rect);
// Clips to the image's alpha (for an image with alpha) stretched over `rect`, drawn as CGContextDrawImage
// would draw it.
ORVANE_EXPORT void CGContextClipToMask(const CGContextRef& context, CGRect rect, const CGImageRef& mask);

ORVANE_EXPORT void CGContextAddPath(const CGContextRef& context, const CGPath& path);
ORVANE_EXPORT void CGContextFillPath(const CGContextRef& context);
ORVANE_EXPORT void CGContextStrokePath(const CGContextRef& context);
ORVANE_EXPORT void CGContextClip(const CGContextRef& context);

// A path of straight lines, rectangles, rounded rectangles and ellipses, in the user space it is added in.
class ORVANE_EXPORT CGPath {
  public:
    struct Element {
        enum class Kind { move, line, rect, roundedRect, ellipse, close } kind;
        CGPoint point;
        CGRect rect;
        CGFloat cornerWidth = 0;
        CGFloat cornerHeight = 0;
    };

    void moveToPoint(CGPoint point);
    void addLineToPoint(CGPoint point);
    void addRect(CGRect rect);
    // Each radius is limited to half the rectangle's shorter side, so a large radius rounds a square into a
    // circle.
    void addRoundedRect(CGRect rect, CGFloat cornerWidth, CGFloat cornerHeight);
    void addEllipseInRect(CGRect rect);
    void closeSubpath();

    const std::vector<Element>& elements() const { return _elements; }

  private:
    std::vector<Element> _elements;
};
