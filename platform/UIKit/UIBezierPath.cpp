#include "UIKit/UIBezierPath.h"
#include "UIKit/UIGraphics.h"

namespace {

void onCurrentContext(const ::CGPath& path, void (*act)(const CGContextRef&)) {
    const CGContextRef context = UIGraphicsGetCurrentContext();
    if (!context)
        return;
    CGContextAddPath(context, path);
    act(context);
}

} // namespace

std::shared_ptr<UIBezierPath> UIBezierPath::bezierPathWithRect(CGRect rect) {
    auto path = make();
    path->_path.addRect(rect);
    return path;
}

std::shared_ptr<UIBezierPath> UIBezierPath::bezierPathWithRoundedRect(CGRect rect, CGFloat cornerRadius) {
    auto path = make();
    path->_path.addRoundedRect(rect, cornerRadius, cornerRadius);
    return path;
}

std::shared_ptr<UIBezierPath> UIBezierPath::bezierPathWithOvalInRect(CGRect rect) {
    auto path = make();
    path->_path.addEllipseInRect(rect);
    return path;
}

void UIBezierPath::moveToPoint(CGPoint point) {
    _path.moveToPoint(point);
}

void UIBezierPath::addLineToPoint(CGPoint point) {
    _path.addLineToPoint(point);
}

void UIBezierPath::closePath() {
    _path.closeSubpath();
}

void UIBezierPath::addClip() const {
    onCurrentContext(_path, CGContextClip);
}

void UIBezierPath::fill() const {
    onCurrentContext(_path, CGContextFillPath);
}

void UIBezierPath::stroke() const {
    const CGContextRef context = UIGraphicsGetCurrentContext();
    if (!context)
        return;
    CGContextSaveGState(context);
    CGContextSetLineWidth(context, _lineWidth);
    CGContextSetLineCap(context, _lineCap);
    CGContextSetLineJoin(context, _lineJoin);
    CGContextAddPath(context, _path);
    CGContextStrokePath(context);
    CGContextRestoreGState(context);
}
