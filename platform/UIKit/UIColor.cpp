#include "UIKit/UIColor.h"
#include "UIKit/UIGraphics.h"

UIColor::UIColor(CGFloat red, CGFloat green, CGFloat blue, CGFloat alpha)
    : _red(red), _green(green), _blue(blue), _alpha(alpha) {}

std::shared_ptr<UIColor> UIColor::colorWithRed(CGFloat red, CGFloat green, CGFloat blue, CGFloat alpha) {
    return make(red, green, blue, alpha);
}

std::shared_ptr<UIColor> UIColor::colorWithWhite(CGFloat white, CGFloat alpha) {
    return colorWithRed(white, white, white, alpha);
}

std::shared_ptr<UIColor> UIColor::clearColor() {
    return colorWithWhite(0, 0);
}
std::shared_ptr<UIColor> UIColor::blackColor() {
    return colorWithWhite(0, 1);
}
std::shared_ptr<UIColor> UIColor::whiteColor() {
    return colorWithWhite(1, 1);
}
std::shared_ptr<UIColor> UIColor::redColor() {
    return colorWithRed(1, 0, 0, 1);
}

std::shared_ptr<UIColor> UIColor::grayColor() {
    return colorWithWhite(0.5, 1);
}
std::shared_ptr<UIColor> UIColor::darkGrayColor() {
    return colorWithWhite(1.0 / 3, 1);
}
std::shared_ptr<UIColor> UIColor::lightGrayColor() {
    return colorWithWhite(2.0 / 3, 1);
}

void UIColor::setFill() const {
    CGContextSetRGBFillColor(UIGraphicsGetCurrentContext(), _red, _green, _blue, _alpha);
}

void UIColor::setStroke() const {
    CGContextSetRGBStrokeColor(UIGraphicsGetCurrentContext(), _red, _green, _blue, _alpha);
}

bool UIColor::isEqual(const UIColor& other) const {
    return _red == other._red && _green == other._green && _blue == other._blue && _alpha == other._alpha;
}
