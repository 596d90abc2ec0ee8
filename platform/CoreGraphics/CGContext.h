#pragma once

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
CGContextRef CGBitmapContextCreate(std::size_t width, std::size_t height);
CGImageRef CGBitmapContextCreateImage(const CGContextRef& context);
std::size_t CGBitmapContextGetWidth(const CGContextRef& context);
std::size_t CGBitmapContextGetHeight(const CGContextRef& context);

void CGContextSaveGState(const CGContextRef& context);
void CGContextRestoreGState(const CGContextRef& context);
// Until the matching end, drawing goes to a transparent layer (at alpha 1, normal blending), which the end
// then composites as one picture with the alpha, blend mode and clip in force at the beginning.
void CGContextBeginTransparencyLayer(const CGContextRef& context);
void CGContextEndTransparencyLayer(const CGContextRef& context);

void CGContextTranslateCTM(const CGContextRef& context, CGFloat tx, CGFloat ty);
void CGContextScaleCTM(const CGContextRef& context, CGFloat sx, CGFloat sy);
void CGContextRotateCTM(const CGContextRef& context, CGFloat angle);
void CGContextConcatCTM(const CGContextRef& context, CGAffineTransform transform);
CGAffineTransform CGContextGetCTM(const CGContextRef& context);

void CGContextSetBlendMode(const CGContextRef& context, CGBlendMode mode);
void CGContextSetAlpha(const CGContextRef& context, CGFloat alpha);
void CGContextSetRGBFillColor(const CGContextRef& context, CGFloat red, CGFloat green, CGFloat blue,
                              CGFloat alpha);
void CGContextSetRGBStrokeColor(const CGContextRef& context, CGFloat red, CGFloat green, CGFloat blue,
                                CGFloat alpha);
void CGContextSetLineWidth(const CGContextRef& context, CGFloat width);

enum CGLineCap { kCGLineCapButt = 0, kCGLineCapRound = 1, kCGLineCapSquare = 2 };
enum CGLineJoin { kCGLineJoinMiter = 0, kCGLineJoinRound = 1, kCGLineJoinBevel = 2 };
void CGContextSetLineCap(const CGContextRef& context, CGLineCap cap);
void CGContextSetLineJoin(const CGContextRef& context, CGLineJoin join);
// Strokes alternate the lengths drawn and skipped, starting `phase` into the pattern; no lengths (or lengths
// that draw nothing) give a solid line.
void CGContextSetLineDash(const CGContextRef& context, CGFloat phase, std::span<const CGFloat> lengths);

void CGContextFillRect(const CGContextRef& context, CGRect rect);
void CGContextClearRect(const CGContextRef& context, CGRect rect);
void CGContextStrokeRect(const CGContextRef& context, CGRect rect);
void CGContextDrawImage(const CGContextRef& context, CGRect rect, const CGImageRef& image);

void CGContextClipToRect(const CGContextRef& context, CGRect rect);
// Clips to the image's alpha (for an image with alpha) stretched over `rect`, drawn as CGContextDrawImage
// would draw it.
void CGContextClipToMask(const CGContextRef& context, CGRect rect, const CGImageRef& mask);

void CGContextAddPath(const CGContextRef& context, const CGPath& path);
void CGContextFillPath(const CGContextRef& context);
void CGContextStrokePath(const CGContextRef& context);
void CGContextClip(const CGContextRef& context);

// A path of straight lines, rectangles, rounded rectangles and ellipses, in the user space it is added in.
class CGPath {
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
