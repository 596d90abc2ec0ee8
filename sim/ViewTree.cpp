#include "ViewTree.h"

#include "UIKit/UIButton.h"

#include <string>

namespace {

void describeFrame(CGRect frame, std::ostream& out) {
    out << "frame " << frame.origin.x << " " << frame.origin.y << " " << frame.size.width << " "
        << frame.size.height;
}

void describeButton(const UIButton& button, std::ostream& out) {
    if (const auto image = button.currentImage())
        out << ", image " << image->size().width << " x " << image->size().height;
    else
        out << ", no image";
}

} // namespace

void describeViewTree(const UIView& view, std::ostream& out, int depth) {
    out << std::string(2 * depth, ' ') << view.className() << " ";
    describeFrame(view.frame(), out);
    if (view.isHidden())
        out << ", hidden";
    if (view.alpha() != 1)
        out << ", alpha " << view.alpha();
    if (const auto& colour = view.backgroundColor())
        out << ", background " << colour->red() << " " << colour->green() << " " << colour->blue()
            << " alpha " << colour->alpha();
    if (view.isKindOfClass<UIButton>())
        describeButton(static_cast<const UIButton&>(view), out);
    out << "\n";
    for (const auto& subview : view.subviews())
        describeViewTree(*subview, out, depth + 1);
}

std::vector<std::shared_ptr<UIButton>> rowButtons(const UIView& row) {
    std::vector<std::shared_ptr<UIButton>> buttons;
    for (const auto& view : row.subviews()) {
        if (auto button = std::dynamic_pointer_cast<UIButton>(view))
            buttons.push_back(std::move(button));
    }
    return buttons;
}

CGPoint originIn(const UIView& view, const UIView& ancestor) {
    CGPoint origin = CGPointMake(0, 0);
    for (const UIView* step = &view; step && step != &ancestor; step = step->superview().get()) {
        origin.x += step->frame().origin.x;
        origin.y += step->frame().origin.y;
    }
    return origin;
}
