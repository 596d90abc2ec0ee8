#include "scanner/QRCodeReaderView.h"

#include "UIKit/UIBezierPath.h"
#include "UIKit/UIScreen.h"

#include <algorithm>

namespace {

constexpr CGFloat boxInset = 50;
constexpr CGFloat boxDrop = 15;
constexpr float dimmingOpacity = 0.5f;

std::shared_ptr<const CGPath> rectanglePath(CGRect rect) {
    return std::make_shared<const CGPath>(UIBezierPath::bezierPathWithRect(rect)->CGPath());
}

} // namespace

void QRCodeReaderView::init() {
    Super::init();
    addOverlay();
    setNeedsDisplay();
}

void QRCodeReaderView::addOverlay() {
    _overlay = CAShapeLayer::layer();
    _overlay->setFillColor(UIColor::clearColor()->CGColor());
    _overlay->setStrokeColor(UIColor::lightGrayColor()->CGColor());
    _overlay->setLineWidth(1.0);
    _overlay->setLineDashPattern({50, 0});
    _overlay->setLineDashPhase(1.0);
    _overlay->setOpacity(0.5f);
    layer()->addSublayer(_overlay);
}

CGRect QRCodeReaderView::scanBoxInRect(CGRect rect) {
    CGRect box = {{rect.origin.x + boxInset, rect.origin.y + boxInset},
                  {rect.size.width - 2 * boxInset, rect.size.height - 2 * boxInset}};
    const CGFloat side = std::min(box.size.width, box.size.height);
    if (box.size.width != side) {
        box.origin.x += boxInset;
        box.size.width = side;
    } else if (box.size.height != side) {
        box.origin.y += (rect.size.height - side) * 0.5 + rect.size.height / -6;
        box.size.height = side;
    }
    box.origin.y += boxDrop;
    return box;
}

void QRCodeReaderView::drawRect(CGRect rect) {
    const CGRect box = scanBoxInRect(rect);
    _innerViewRect = box;
    if (const auto listener = delegate())
        listener->loadView(box);
    _overlay->setPath(rectanglePath(box));
    addOtherLay(box);
}

void QRCodeReaderView::addOtherLay(CGRect box) {
    const CGRect screen = UIScreen::mainScreen().bounds();
    const CGFloat width = screen.size.width;
    const CGFloat height = screen.size.height;
    const CGFloat boxBottom = box.origin.y + box.size.height;
    const CGRect strips[] = {
        CGRectMake(0, 0, width, box.origin.y),
        CGRectMake(0, box.origin.y, boxInset, height),
        CGRectMake(width - boxInset, box.origin.y, boxInset, height),
        CGRectMake(boxInset, boxBottom, width - 2 * boxInset, height - boxBottom),
    };
    for (std::size_t i = 0; i < _dimming.size(); ++i) {
        if (_dimming[i])
            _dimming[i]->removeFromSuperlayer();
        _dimming[i] = CAShapeLayer::layer();
        _dimming[i]->setFillColor(UIColor::blackColor()->CGColor());
        _dimming[i]->setOpacity(dimmingOpacity);
        _dimming[i]->setPath(rectanglePath(strips[i]));
        layer()->addSublayer(_dimming[i]);
    }
}
