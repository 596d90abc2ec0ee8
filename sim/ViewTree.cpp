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
