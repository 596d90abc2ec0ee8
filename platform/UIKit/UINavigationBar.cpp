#include "UIKit/UINavigationBar.h"

#include "UIKit/NSStringDrawing.h"
#include "UIKit/UIGraphics.h"
#include "UIKit/UINavigationController.h"

namespace {

constexpr CGFloat sideMargin = 8;
constexpr CGFloat fontSize = 17;

void drawItem(const UIBarButtonItem* item, CGRect row, NSTextAlignment alignment) {
    if (!item)
        return;
    NSStringAttributes attributes;
    attributes.fontSize = fontSize;
    attributes.color = UIColor::colorWithRed(0, 0.48, 1, 1);
    attributes.alignment = alignment;
    NSStringDrawInRect(
        item->title(),
        CGRectMake(row.origin.x + sideMargin, row.origin.y, row.size.width - 2 * sideMargin, row.size.height),
        attributes);
}

} // namespace

UINavigationBar::UINavigationBar(CGRect frame) : UIView(frame) {
    setBackgroundColor(UIColor::colorWithWhite(0.97, 0.92));
}

void UINavigationBar::drawContent(CGRect bounds) const {
    const CGContextRef context = UIGraphicsGetCurrentContext();
    CGContextSetRGBFillColor(context, 0.7, 0.7, 0.7, 1);
    CGContextFillRect(context, CGRectMake(0, bounds.size.height - 0.5, bounds.size.width, 0.5));
    if (!_topItem)
        return;
    const CGFloat top = UINavigationController::navigationBarTop;
    const CGFloat textTop = top + (UINavigationController::navigationBarHeight - fontSize * 1.25) / 2;
    const CGRect row = CGRectMake(0, textTop, bounds.size.width, bounds.size.height - textTop);
    NSStringAttributes title;
    title.fontSize = fontSize;
    title.bold = true;
    title.alignment = NSTextAlignmentCenter;
    NSStringDrawInRect(_topItem->title(), row, title);
    drawItem(_topItem->leftBarButtonItem().get(), row, NSTextAlignmentLeft);
    drawItem(_topItem->rightBarButtonItem().get(), row, NSTextAlignmentRight);
}
