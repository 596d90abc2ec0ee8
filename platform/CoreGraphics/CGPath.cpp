#include "CoreGraphics/CGContext.h"

#include <algorithm>
#include <cmath>

void CGPath::moveToPoint(CGPoint point) {
    _elements.push_back({Element::Kind::move, point, {}});
}

void CGPath::addLineToPoint(CGPoint point) {
    _elements.push_back({Element::Kind::line, point, {}});
}

void CGPath::addRect(CGRect rect) {
    _elements.push_back({Element::Kind::rect, {}, rect});
}

void CGPath::addRoundedRect(CGRect rect, CGFloat cornerWidth, CGFloat cornerHeight) {
    const CGFloat limit = std::min(std::abs(rect.size.width), std::abs(rect.size.height)) / 2;
    _elements.push_back({Element::Kind::roundedRect,
                         {},
                         rect,
                         std::clamp<CGFloat>(cornerWidth, 0, limit),
                         std::clamp<CGFloat>(cornerHeight, 0, limit)});
}

void CGPath::addEllipseInRect(CGRect rect) {
    _elements.push_back({Element::Kind::ellipse, {}, rect});
}

void CGPath::closeSubpath() {
    _elements.push_back({Element::Kind::close, {}, {}});
}
