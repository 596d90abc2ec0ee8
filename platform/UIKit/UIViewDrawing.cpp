#include "CoreFoundation/MainThread.h"
#include "UIKit/UIButton.h"
#include "UIKit/UIGraphics.h"
#include "UIKit/UIImage.h"
#include "UIKit/UIView.h"

#include <algorithm>

namespace {

void fillBackground(const CGContextRef& context, const UIColor* colour, CGRect bounds) {
    if (!colour)
        return;
    CGContextSetRGBFillColor(context, colour->red(), colour->green(), colour->blue(), colour->alpha());
    CGContextFillRect(context, bounds);
}

// The image's own size, shrunk to fit keeping its proportions, centred in `bounds`.
CGRect centredRect(CGSize size, CGRect bounds) {
    const CGFloat factor =
        std::min({CGFloat(1), bounds.size.width / size.width, bounds.size.height / size.height});
    const CGSize drawn = {size.width * factor, size.height * factor};
    return {{bounds.origin.x + (bounds.size.width - drawn.width) / 2,
             bounds.origin.y + (bounds.size.height - drawn.height) / 2},
            drawn};
}

} // namespace

void UIView::drawViewHierarchyInRect(CGRect rect) const {
    requireMainThread("drawing a view hierarchy");
    const CGContextRef context = UIGraphicsGetCurrentContext();
    if (!context || _frame.size.width <= 0 || _frame.size.height <= 0)
        return;
    CGContextSaveGState(context);
    CGContextTranslateCTM(context, rect.origin.x, rect.origin.y);
    CGContextScaleCTM(context, rect.size.width / _frame.size.width, rect.size.height / _frame.size.height);
    // drawInParentSpace places the view at its frame's origin; this puts that origin at `rect`'s.
    CGContextTranslateCTM(context, -_frame.origin.x, -_frame.origin.y);
    drawInParentSpace(1);
    CGContextRestoreGState(context);
}

void UIView::drawInParentSpace(CGFloat inheritedAlpha) const {
    if (_hidden)
        return;
    const CGContextRef context = UIGraphicsGetCurrentContext();
    const CGFloat alpha = inheritedAlpha * _alpha;
    const CGRect shown = presentationFrame();
    const CGRect area = {{0, 0}, shown.size};
    CGContextSaveGState(context);
    CGContextTranslateCTM(context, shown.origin.x, shown.origin.y);
    CGContextSaveGState(context);
    CGContextClipToRect(context, area);
    // The background, the content and the layer's sublayers fade together, as one picture, to the view's
    // alpha.
    CGContextSetAlpha(context, alpha);
    CGContextBeginTransparencyLayer(context);
    fillBackground(context, _backgroundColor.get(), area);
    drawContent(area);
    if (_contents)
        _contents->drawInRect(area);
    _layer->renderSublayersInContext(context);
    CGContextEndTransparencyLayer(context);
    CGContextRestoreGState(context);
    for (const auto& subview : _subviews)
        subview->drawInParentSpace(alpha);
    CGContextRestoreGState(context);
}

void UIView::drawContent(CGRect) const {}

void UIButton::drawContent(CGRect bounds) const {
    const UIControlState current = state();
    if (const auto background = backgroundImageForState(current))
        background->drawInRect(bounds);
    if (const auto image = currentImage())
        image->drawInRect(centredRect(image->size(), bounds));
}
