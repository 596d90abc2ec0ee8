#include "scanner/QRCameraSwitchButton.h"

#include "UIKit/UIBezierPath.h"

namespace {

constexpr CGFloat strokeWidth = 2.0;

// The glyph's shapes, every length a proportion of the drawn width; the height sets only the centre.
struct Glyph {
    std::shared_ptr<UIBezierPath> rightArrow, body, outerLens, innerLens, viewfinder, leftArrow;
};

std::shared_ptr<UIBezierPath> closedPath(std::initializer_list<CGPoint> points) {
    auto path = UIBezierPath::make();
    bool first = true;
    for (const CGPoint point : points) {
        if (first)
            path->moveToPoint(point);
        else
            path->addLineToPoint(point);
        first = false;
    }
    path->closePath();
    return path;
}

// An arrow whose tip lies at `tip`, its shaft reaching away on the side `direction` (-1 left, +1 right).
std::shared_ptr<UIBezierPath> arrow(CGPoint tip, CGFloat direction, CGFloat head, CGFloat shaft,
                                    CGFloat headHalf, CGFloat shaftHalf) {
    const CGFloat neck = tip.x + direction * head;
    const CGFloat end = neck + direction * shaft;
    return closedPath({tip,
                       {neck, tip.y - headHalf},
                       {neck, tip.y - shaftHalf},
                       {end, tip.y - shaftHalf},
                       {end, tip.y + shaftHalf},
                       {neck, tip.y + shaftHalf},
                       {neck, tip.y + headHalf}});
}

std::shared_ptr<UIBezierPath> circle(CGFloat cx, CGFloat cy, CGFloat diameter) {
    return UIBezierPath::bezierPathWithOvalInRect(
        CGRectMake(cx - diameter * 0.5, cy - diameter * 0.5, diameter, diameter));
}

Glyph glyphFor(CGFloat width, CGFloat height) {
    const CGFloat cx = width * 0.5, cy = height * 0.5;
    const CGFloat bw = width * 0.4, bh = bw * 0.6, hh = bh * 0.5;
    const CGFloat bx = cx - bw * 0.5, by = cy - hh;
    const CGFloat d1 = bh * 0.8, d2 = d1 * 0.7;
    const CGFloat tw = bw * 0.8, ti = tw * 0.14, tx = bx + (bw - tw) * 0.5;
    const CGFloat side = (width - bw) * 0.5;
    const CGFloat al = side * 0.3, sl = side * 0.7, ah = hh * 0.5, st = hh * 0.6 * 0.5;
    Glyph glyph;
    glyph.body = UIBezierPath::bezierPathWithRoundedRect(CGRectMake(bx, by, bw, bh), bw / 80);
    glyph.outerLens = circle(cx, cy, d1);
    glyph.innerLens = circle(cx, cy, d2);
    glyph.viewfinder =
        closedPath({{tx, by}, {tx + tw, by}, {tx + tw - ti, by + bh * -0.17}, {tx + ti, by + bh * -0.17}});
    glyph.viewfinder->setLineCapStyle(kCGLineCapRound);
    glyph.viewfinder->setLineJoinStyle(kCGLineJoinRound);
    glyph.leftArrow = arrow({cx - bw * 0.2, cy + bh * 0.45}, -1, al, sl, ah, st);
    glyph.rightArrow = arrow({cx + bw * 0.2, cy + bh * 0.6}, 1, al, sl, ah, st);
    return glyph;
}

void fillAndStroke(const UIBezierPath& path, const UIColor& fill, const UIColor& edge) {
    fill.setFill();
    path.fill();
    edge.setStroke();
    path.stroke();
}

} // namespace

QRCameraSwitchButton::QRCameraSwitchButton(CGRect frame)
    : UIButton(UIButtonTypeCustom), _edgeColor(UIColor::whiteColor()), _fillColor(UIColor::darkGrayColor()),
      _edgeHighlightedColor(UIColor::whiteColor()), _fillHighlightedColor(UIColor::blackColor()) {
    setFrame(frame);
    setNeedsDisplay();
}

void QRCameraSwitchButton::touchesBegan() {
    UIButton::touchesBegan();
    setNeedsDisplay();
}

void QRCameraSwitchButton::touchesMoved() {
    UIButton::touchesMoved();
    setNeedsDisplay();
}

void QRCameraSwitchButton::touchesEnded() {
    UIButton::touchesEnded();
    setNeedsDisplay();
}

void QRCameraSwitchButton::touchesCancelled() {
    UIButton::touchesCancelled();
    setNeedsDisplay();
}

void QRCameraSwitchButton::drawRect(CGRect rect) {
    const bool highlighted = state() & UIControlStateHighlighted;
    const UIColor& fill = highlighted ? *_fillHighlightedColor : *_fillColor;
    const UIColor& edge = highlighted ? *_edgeHighlightedColor : *_edgeColor;
    const Glyph glyph = glyphFor(rect.size.width, rect.size.height);
    for (const auto& path : {glyph.rightArrow, glyph.body, glyph.viewfinder, glyph.leftArrow})
        path->setLineWidth(strokeWidth);
    fillAndStroke(*glyph.rightArrow, fill, edge);
    fillAndStroke(*glyph.body, fill, edge);
    edge.setFill();
    glyph.outerLens->fill();
    fill.setFill();
    glyph.innerLens->fill();
    fillAndStroke(*glyph.viewfinder, fill, edge);
    fillAndStroke(*glyph.leftArrow, fill, edge);
}
