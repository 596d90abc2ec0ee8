#include "UIKit/UIGraphics.h"
#include "UIKit/UIImage.h"
#include "UIKit/UIScreen.h"

#include <cmath>
#include <vector>

namespace {

struct ImageContext {
    CGContextRef context; // nothing when the bitmap could not be made: Begin and End still pair up
    CGFloat scale;
};

std::vector<ImageContext>& imageContexts() {
    static std::vector<ImageContext> stack;
    return stack;
}

// Whole pixels that cover `points`; the tolerance keeps rounding noise, such as 0.1 + 0.2 points at scale
// 10, from adding a pixel.
std::size_t pixelsCovering(CGFloat points, CGFloat scale) {
    const CGFloat pixels = std::ceil(points * scale - 1e-9);
    if (!(pixels >= 1))
        return 0;
    return static_cast<std::size_t>(std::min<CGFloat>(pixels, CGImage::maximumSide + 1));
}

} // namespace

void UIGraphicsBeginImageContextWithOptions(CGSize size, bool opaque, CGFloat scale) {
    if (!(scale > 0))
        scale = UIScreen::mainScreen().scale();
    const std::size_t height = pixelsCovering(size.height, scale);
    const CGContextRef context = CGBitmapContextCreate(pixelsCovering(size.width, scale), height);
    // An opaque context has no transparency to start from: it starts black, as in UIKit.
    if (opaque)
        CGContextFillRect(context,
                          CGRectMake(0, 0, CGFloat(CGBitmapContextGetWidth(context)), CGFloat(height)));
    CGContextTranslateCTM(context, 0, CGFloat(height));
    CGContextScaleCTM(context, scale, -scale);
    imageContexts().push_back({context, scale});
}

void UIGraphicsBeginImageContext(CGSize size) {
    UIGraphicsBeginImageContextWithOptions(size, false, 1);
}

CGContextRef UIGraphicsGetCurrentContext() {
    return imageContexts().empty() ? nullptr : imageContexts().back().context;
}

std::shared_ptr<UIImage> UIGraphicsGetImageFromCurrentImageContext() {
    if (imageContexts().empty())
        return nullptr;
    const ImageContext& current = imageContexts().back();
    return UIImage::imageWithCGImage(CGBitmapContextCreateImage(current.context), current.scale,
                                     UIImageOrientationUp);
}

void UIGraphicsEndImageContext() {
    if (!imageContexts().empty())
        imageContexts().pop_back();
}

void UIRectFill(CGRect rect) {
    const CGContextRef context = UIGraphicsGetCurrentContext();
    // As in UIKit, the fill replaces what is there (copy), whatever blend mode the context is in.
    CGContextSaveGState(context);
    CGContextSetBlendMode(context, kCGBlendModeCopy);
    CGContextFillRect(context, rect);
    CGContextRestoreGState(context);
}
