#include "UIKit/UINavigationBar.h"

#include "UIKit/NSStringDrawing.h"
#include "UIKit/UIGraphics.h"
#include "UIKit/UINavigationController.h"

#include <algorithm>

namespace {

constexpr CGFloat sideMargin = 8;
constexpr CGFloat fontSize = 17;

// A bar button: one line at its side of the bar; a title longer than half the bar is shortened.
NSStringAttributes itemAttributes(NSTextAlignment alignment) {
    NSStringAttributes attributes;
    attributes.fontSize = fontSize;
    attributes.color = UIColor::colorWithRed(0, 0.48, 1, 1);
    attributes.alignment = alignment;
    attributes.numberOfLines = 1;
    return attributes;
}

// How wide a button draws in a half of the row.
CGFloat itemWidth(const UIBarButtonItem* item, CGRect half) {
    const CGFloat room = half.size.width - 2 * sideMargin;
    return item ? std::min(
                      room,
                      NSStringBoundingSize(item->title(), room, itemAttributes(NSTextAlignmentLeft)).width)
                : 0;
}

// The row of the title and the buttons, below the status bar, split into the halves the buttons sit in.
struct Row {
    CGRect whole, left, right;
};
Row rowOf(CGRect bounds) {
    const CGFloat top = UINavigationController::navigationBarTop;
    const CGFloat textTop = top + (UINavigationController::navigationBarHeight - fontSize * 1.25) / 2;
    const CGRect whole = CGRectMake(0, textTop, bounds.size.width, bounds.size.height - textTop);
    return {whole, CGRectMake(whole.origin.x, whole.origin.y, whole.size.width / 2, whole.size.height),
            CGRectMake(whole.origin.x + whole.size.width / 2, whole.origin.y, whole.size.width / 2,
                       whole.size.height)};
}

void drawItem(const UIBarButtonItem* item, CGRect half, NSTextAlignment alignment) {
    if (item)
        NSStringDrawInRect(item->title(),
                           CGRectMake(half.origin.x + sideMargin, half.origin.y,
                                      half.size.width - 2 * sideMargin, half.size.height),
                           itemAttributes(alignment));
}

} // namespace

UINavigationBar::UINavigationBar(CGRect frame) : UIView(frame) {
    setBackgroundColor(UIColor::colorWithWhite(0.97, 1));
}

void UINavigationBar::drawContent(CGRect bounds) const {
    const CGContextRef context = UIGraphicsGetCurrentContext();
    CGContextSetRGBFillColor(context, 0.7, 0.7, 0.7, 1);
    CGContextFillRect(context, CGRectMake(0, bounds.size.height - 0.5, bounds.size.width, 0.5));
    if (!_topItem)
        return;
    const auto [row, left, right] = rowOf(bounds);
    NSStringAttributes title;
    title.fontSize = fontSize;
    title.bold = true;
    title.alignment = NSTextAlignmentCenter;
    title.numberOfLines = 1;
    // The title is centred on the bar when it fits between the buttons; otherwise it moves into the room
    // between them, and is shortened when even that is too little.
    const CGFloat gapStart = itemWidth(_topItem->leftBarButtonItem().get(), left) + 2 * sideMargin;
    const CGFloat gapEnd =
        row.size.width - itemWidth(_topItem->rightBarButtonItem().get(), right) - 2 * sideMargin;
    const CGFloat room = std::max<CGFloat>(0, gapEnd - gapStart);
    const CGFloat width =
        std::min(room, NSStringBoundingSize(_topItem->title(), row.size.width, title).width);
    const CGFloat x = std::clamp((row.size.width - width) / 2, gapStart, gapStart + room - width);
    NSStringDrawInRect(_topItem->title(),
                       CGRectMake(row.origin.x + x, row.origin.y, width + 1, row.size.height), title);
    drawItem(_topItem->leftBarButtonItem().get(), left, NSTextAlignmentLeft);
    drawItem(_topItem->rightBarButtonItem().get(), right, NSTextAlignmentRight);
}

std::optional<CGRect> UINavigationBar::rightItemFrame() const {
    const auto* item = _topItem ? _topItem->rightBarButtonItem().get() : nullptr;
    if (!item)
        return std::nullopt;
    const CGRect right = rowOf(bounds()).right;
    const CGFloat width = itemWidth(item, right) + 2 * sideMargin;
    return CGRectMake(right.origin.x + right.size.width - width, UINavigationController::navigationBarTop,
                      width, UINavigationController::navigationBarHeight);
}
