#include "UIKit/UIView.h"

#include "UIKit/UIGestureRecognizer.h"

#include <algorithm>

namespace {

// Empty for a view that no shared_ptr owns: such a view can hold subviews but is nobody's superview.
std::weak_ptr<UIView> weakReferenceTo(UIView& view) {
    return std::static_pointer_cast<UIView>(view.weak_from_this().lock());
}

bool isAncestorOrSelf(const UIView& candidate, const UIView& view) {
    for (const UIView* current = &view; current; current = current->superview().get()) {
        if (current == &candidate)
            return true;
    }
    return false;
}

} // namespace

UIView::UIView(CGRect frame) : _frame(frame) {}

void UIView::registerProperties(NSPropertyTable<UIView>& table) {
    table.add("hidden", &UIView::isHidden, &UIView::setHidden);
    table.add("alpha", &UIView::alpha, &UIView::setAlpha);
    table.add("backgroundColor", &UIView::backgroundColor, &UIView::setBackgroundColor);
}

void UIView::addSubview(const std::shared_ptr<UIView>& view) {
    // A view inside its own subtree would own itself.
    if (!view || isAncestorOrSelf(*view, *this))
        return;
    // `view` may refer to an element of the old superview's list, which removal changes.
    auto moved = view;
    moved->removeFromSuperview();
    moved->_superview = weakReferenceTo(*this);
    _subviews.push_back(std::move(moved));
}

void UIView::removeFromSuperview() {
    const auto parent = _superview.lock();
    if (!parent)
        return;
    _superview.reset();
    // This may drop the last owner of this view: nothing may touch it afterwards.
    std::erase_if(parent->_subviews, [this](const auto& subview) { return subview.get() == this; });
}

void UIView::addGestureRecognizer(const std::shared_ptr<UIGestureRecognizer>& recognizer) {
    if (!recognizer)
        return;
    // As with subviews, `recognizer` may be an element of the list that the move erases.
    auto moved = recognizer;
    if (const auto previous = moved->view())
        previous->removeGestureRecognizer(moved);
    moved->_view = weakReferenceTo(*this);
    _recognizers.push_back(std::move(moved));
}

void UIView::removeGestureRecognizer(const std::shared_ptr<UIGestureRecognizer>& recognizer) {
    // `recognizer` may be an element of the list that this erases.
    const auto removed = recognizer;
    if (std::erase(_recognizers, removed) > 0)
        removed->_view.reset();
}
