#include "PresentedDrawing.h"

#include "UIKit/NSStringDrawing.h"
#include "UIKit/UIBezierPath.h"
#include "UIKit/UIGraphics.h"

#include <algorithm>
#include <vector>

namespace {

constexpr CGFloat alertWidth = 270;
constexpr CGFloat sheetMargin = 8;
constexpr CGFloat cornerRadius = 13;
constexpr CGFloat textInset = 16;
constexpr CGFloat alertButtonHeight = 44;
constexpr CGFloat sheetButtonHeight = 57;

using Actions = std::vector<std::shared_ptr<UIAlertAction>>;

// Blended over what is there (UIRectFill would copy).
void fillRect(CGRect rect, CGFloat white, CGFloat alpha) {
    const CGContextRef context = UIGraphicsGetCurrentContext();
    CGContextSetRGBFillColor(context, white, white, white, alpha);
    CGContextFillRect(context, rect);
}

void fillPanel(CGRect rect) {
    CGContextSetRGBFillColor(UIGraphicsGetCurrentContext(), 0.97, 0.97, 0.97, 1);
    UIBezierPath::bezierPathWithRoundedRect(rect, cornerRadius)->fill();
}

void hairline(CGFloat x, CGFloat y, CGFloat width, CGFloat height) {
    fillRect(CGRectMake(x, y, width, height), 0.75, 1);
}

// The text block of title and message; its height when `draw` is false.
CGFloat textBlock(const UIAlertController& alert, CGRect area, bool draw) {
    const CGFloat width = area.size.width - 2 * textInset;
    const bool sheet = alert.preferredStyle() == UIAlertControllerStyleActionSheet;
    const NSStringAttributes titleStyle{sheet ? 13.0 : 17.0, !sheet,
                                        UIColor::colorWithWhite(sheet ? 0.45 : 0, 1), NSTextAlignmentCenter};
    const NSStringAttributes messageStyle{13, false, UIColor::colorWithWhite(sheet ? 0.45 : 0, 1),
                                          NSTextAlignmentCenter};
    CGFloat y = area.origin.y + (sheet ? 14 : 20);
    const auto line = [&](const std::optional<std::string>& text, const NSStringAttributes& style) {
        if (!text || text->empty())
            return;
        const CGSize size = NSStringBoundingSize(*text, width, style);
        if (draw)
            NSStringDrawInRect(*text, CGRectMake(area.origin.x + textInset, y, width, size.height), style);
        y += size.height + 4;
    };
    line(alert.title(), titleStyle);
    line(alert.message(), messageStyle);
    const bool hasText =
        (alert.title() && !alert.title()->empty()) || (alert.message() && !alert.message()->empty());
    return hasText ? y - area.origin.y + (sheet ? 10 : 16) : 0;
}

// A button's title takes one line, shortened with an ellipsis when it is longer, as UIKit's are.
void buttonTitle(const UIAlertController& alert, const UIAlertAction& action, CGRect rect,
                 Touchables& touchables) {
    touchables.add({rect, "action \"" + action.title() + "\"", {"choose", action.title()}, {}, {}});
    const bool emphasised = alert.preferredAction() ? alert.preferredAction().get() == &action
                                                    : action.style() == UIAlertActionStyleCancel;
    const auto colour = action.style() == UIAlertActionStyleDestructive
                            ? UIColor::colorWithRed(1, 0.23, 0.19, 1)
                            : UIColor::colorWithRed(0, 0.48, 1, 1);
    const NSStringAttributes style{alert.preferredStyle() == UIAlertControllerStyleActionSheet ? 20.0 : 17.0,
                                   emphasised, colour, NSTextAlignmentCenter, 1};
    const CGFloat height =
        NSStringBoundingSize(action.title(), rect.size.width - 2 * textInset, style).height;
    NSStringDrawInRect(action.title(),
                       CGRectMake(rect.origin.x + textInset, rect.origin.y + (rect.size.height - height) / 2,
                                  rect.size.width - 2 * textInset, height),
                       style);
}

// Buttons one under the other from `top`, each after a hairline but one at the panel's top edge, where a
// line would show above the rounded corners.
void stackedButtons(const UIAlertController& alert, const Actions& actions, CGRect panel, CGFloat top,
                    CGFloat buttonHeight, Touchables& touchables) {
    for (const auto& action : actions) {
        if (top > panel.origin.y)
            hairline(panel.origin.x, top, panel.size.width, 0.5);
        buttonTitle(alert, *action, CGRectMake(panel.origin.x, top, panel.size.width, buttonHeight),
                    touchables);
        top += buttonHeight;
    }
}

// Two actions share one row, the cancel action on the left; more stand in a column, the cancel one last.
void drawAlert(const UIAlertController& alert, CGRect screen, Touchables& touchables) {
    Actions actions = alert.actions();
    const bool sideBySide = actions.size() == 2;
    std::stable_partition(actions.begin(), actions.end(), [sideBySide](const auto& action) {
        return (action->style() == UIAlertActionStyleCancel) == sideBySide;
    });
    const CGFloat textHeight = textBlock(alert, CGRectMake(0, 0, alertWidth, 0), false);
    const CGFloat buttonsHeight =
        sideBySide ? alertButtonHeight : alertButtonHeight * CGFloat(actions.size());
    const CGFloat height = std::max<CGFloat>(textHeight + buttonsHeight, alertButtonHeight);
    const CGRect panel = CGRectMake((screen.size.width - alertWidth) / 2, (screen.size.height - height) / 2,
                                    alertWidth, height);
    fillPanel(panel);
    textBlock(alert, panel, true);
    const CGFloat top = panel.origin.y + textHeight;
    if (!sideBySide) {
        stackedButtons(alert, actions, panel, top, alertButtonHeight, touchables);
        return;
    }
    const CGFloat half = alertWidth / 2;
    hairline(panel.origin.x, top, alertWidth, 0.5);
    hairline(panel.origin.x + half, top, 0.5, alertButtonHeight);
    buttonTitle(alert, *actions[0], CGRectMake(panel.origin.x, top, half, alertButtonHeight), touchables);
    buttonTitle(alert, *actions[1], CGRectMake(panel.origin.x + half, top, half, alertButtonHeight),
                touchables);
}

void drawActionSheet(const UIAlertController& alert, CGRect screen, Touchables& touchables) {
    Actions actions = alert.actions();
    const auto cancel = std::find_if(actions.begin(), actions.end(), [](const auto& action) {
        return action->style() == UIAlertActionStyleCancel;
    });
    std::shared_ptr<UIAlertAction> cancelAction;
    if (cancel != actions.end()) {
        cancelAction = *cancel;
        actions.erase(cancel);
    }
    const CGFloat width = screen.size.width - 2 * sheetMargin;
    CGFloat bottom = screen.size.height - sheetMargin;
    if (cancelAction) {
        const CGRect cancelPanel =
            CGRectMake(sheetMargin, bottom - sheetButtonHeight, width, sheetButtonHeight);
        fillPanel(cancelPanel);
        buttonTitle(alert, *cancelAction, cancelPanel, touchables);
        bottom = cancelPanel.origin.y - sheetMargin;
    }
    const CGFloat textHeight = textBlock(alert, CGRectMake(0, 0, width, 0), false);
    const CGFloat height = textHeight + sheetButtonHeight * CGFloat(actions.size());
    if (height <= 0)
        return;
    const CGRect group = CGRectMake(sheetMargin, bottom - height, width, height);
    fillPanel(group);
    textBlock(alert, group, true);
    stackedButtons(alert, actions, group, group.origin.y + textHeight, sheetButtonHeight, touchables);
}

} // namespace

void drawAlertOverScreen(const UIAlertController& alert, CGRect screen, Touchables& touchables) {
    fillRect(screen, 0, 0.4);
    if (alert.preferredStyle() == UIAlertControllerStyleActionSheet)
        drawActionSheet(alert, screen, touchables);
    else
        drawAlert(alert, screen, touchables);
}
