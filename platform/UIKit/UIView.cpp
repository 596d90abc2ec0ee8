#include "UIKit/UIView.h"

#include "UIKit/UIGestureRecognizer.h"
#include "UIKit/UIGraphics.h"
#include "UIKit/UIImage.h"

#include <algorithm>
#include <array>
#include <map>

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

bool UIView::pointInside(CGPoint point) const {
    return point.x >= 0 && point.y >= 0 && point.x < _frame.size.width && point.y < _frame.size.height;
}

std::shared_ptr<UIView> UIView::hitTest(CGPoint point) {
    // UIKit's threshold: a view this faint counts as not there.
    constexpr CGFloat faintest = 0.01;
    if (_hidden || _alpha < faintest || !pointInside(point))
        return nullptr;
    for (auto subview = _subviews.rbegin(); subview != _subviews.rend(); ++subview) {
        const CGPoint origin = (*subview)->_frame.origin;
        if (auto hit = (*subview)->hitTest(CGPointMake(point.x - origin.x, point.y - origin.y)))
            return hit;
    }
    return std::static_pointer_cast<UIView>(shared_from_this());
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

namespace {

// While an animation block runs, its duration; frame changes then animate.
std::optional<double> recordingAnimationDuration;

struct AxisValues {
    std::optional<CGFloat> leading, trailing, size;
};

struct Attribute {
    int axis;
    std::optional<CGFloat> AxisValues::*slot;
};

Attribute attributeSlot(NSLayoutAttribute attribute) {
    switch (attribute) {
    case NSLayoutAttributeLeft:
        return {0, &AxisValues::leading};
    case NSLayoutAttributeRight:
        return {0, &AxisValues::trailing};
    case NSLayoutAttributeWidth:
        return {0, &AxisValues::size};
    case NSLayoutAttributeTop:
        return {1, &AxisValues::leading};
    case NSLayoutAttributeBottom:
        return {1, &AxisValues::trailing};
    default:
        return {1, &AxisValues::size};
    }
}

CGFloat superviewEdge(CGRect bounds, NSLayoutAttribute attribute) {
    switch (attribute) {
    case NSLayoutAttributeRight:
    case NSLayoutAttributeWidth:
        return bounds.size.width;
    case NSLayoutAttributeBottom:
    case NSLayoutAttributeHeight:
        return bounds.size.height;
    default:
        return 0;
    }
}

// Values of the subviews' edges and sizes, relaxed until the constraints give nothing new.
class ConstraintSolver {
  public:
    explicit ConstraintSolver(CGRect bounds) : _bounds(bounds) {}

    void solve(const std::vector<NSLayoutConstraint>& constraints) {
        for (bool changed = true; changed;) {
            changed = false;
            for (const auto& constraint : constraints)
                changed |= apply(constraint);
            for (auto& [view, axes] : _values)
                for (auto& axis : axes)
                    changed |= complete(axis);
        }
    }

    // The view's frame with every solved value in place.
    CGRect frameOf(UIView& view) const {
        CGRect frame = view.frame();
        const auto found = _values.find(&view);
        if (found == _values.end())
            return frame;
        place(found->second[0], frame.origin.x, frame.size.width);
        place(found->second[1], frame.origin.y, frame.size.height);
        return frame;
    }

    std::vector<UIView*> views() const {
        std::vector<UIView*> list;
        for (const auto& [view, axes] : _values)
            list.push_back(view);
        return list;
    }

  private:
    std::optional<CGFloat>& slot(UIView* view, NSLayoutAttribute attribute) {
        const auto [axis, member] = attributeSlot(attribute);
        return _values[view][axis].*member;
    }

    static bool assign(std::optional<CGFloat>& target, CGFloat value) {
        if (target)
            return false;
        target = value;
        return true;
    }

    bool apply(const NSLayoutConstraint& constraint) {
        const auto first = constraint.firstItem.lock();
        if (!first)
            return false;
        auto& left = slot(first.get(), constraint.firstAttribute);
        if (constraint.toSuperview || constraint.secondItem.expired()) {
            const CGFloat base =
                constraint.toSuperview ? superviewEdge(_bounds, constraint.secondAttribute) : CGFloat(0);
            return assign(left, base + constraint.constant);
        }
        auto& right = slot(constraint.secondItem.lock().get(), constraint.secondAttribute);
        if (right)
            return assign(left, *right + constraint.constant);
        return left && assign(right, *left - constraint.constant);
    }

    static bool complete(AxisValues& axis) {
        if (axis.leading && axis.size)
            return assign(axis.trailing, *axis.leading + *axis.size);
        if (axis.trailing && axis.size)
            return assign(axis.leading, *axis.trailing - *axis.size);
        if (axis.leading && axis.trailing)
            return assign(axis.size, *axis.trailing - *axis.leading);
        return false;
    }

    static void place(const AxisValues& axis, CGFloat& origin, CGFloat& size) {
        if (axis.size)
            size = *axis.size;
        if (axis.leading)
            origin = *axis.leading;
    }

    CGRect _bounds;
    std::map<UIView*, std::array<AxisValues, 2>> _values;
};

CGFloat easeInEaseOut(CGFloat t) {
    return t * t * (3 - 2 * t);
}

} // namespace

void UIView::setFrame(CGRect frame) {
    if (recordingAnimationDuration && frame != _frame)
        _animation = Animation{presentationFrame(), std::chrono::steady_clock::now(),
                               std::chrono::duration<double>(*recordingAnimationDuration)};
    else if (!recordingAnimationDuration)
        _animation.reset();
    if (frame.size != _frame.size)
        _needsLayout = true;
    _frame = frame;
}

void UIView::animateWithDuration(double duration, const std::function<void()>& animations) {
    const auto outer = recordingAnimationDuration;
    recordingAnimationDuration = std::max(duration, 0.0);
    animations();
    recordingAnimationDuration = outer;
}

bool UIView::isAnimating() const {
    return _animation && std::chrono::steady_clock::now() - _animation->start < _animation->duration;
}

CGRect UIView::presentationFrame() const {
    if (!isAnimating())
        return _frame;
    const CGFloat t =
        easeInEaseOut(CGFloat((std::chrono::steady_clock::now() - _animation->start) / _animation->duration));
    const auto mix = [t](CGFloat from, CGFloat to) { return from + (to - from) * t; };
    const CGRect& from = _animation->from;
    return CGRectMake(mix(from.origin.x, _frame.origin.x), mix(from.origin.y, _frame.origin.y),
                      mix(from.size.width, _frame.size.width), mix(from.size.height, _frame.size.height));
}

void UIView::addConstraints(const std::vector<NSLayoutConstraint>& constraints) {
    _constraints.insert(_constraints.end(), constraints.begin(), constraints.end());
    _needsLayout = true;
}

void UIView::layoutIfNeeded() {
    if (_needsLayout) {
        _needsLayout = false;
        layoutSubviews();
    }
    const auto subviews = _subviews;
    for (const auto& subview : subviews)
        subview->layoutIfNeeded();
}

void UIView::layoutSubviews() {
    if (_constraints.empty())
        return;
    ConstraintSolver solver(bounds());
    solver.solve(_constraints);
    for (UIView* view : solver.views())
        view->setFrame(solver.frameOf(*view));
}

void UIView::displayIfNeeded() {
    if (_needsDisplay && _frame.size.width > 0 && _frame.size.height > 0) {
        _needsDisplay = false;
        UIGraphicsBeginImageContextWithOptions(_frame.size, false, 0);
        drawRect(bounds());
        _contents = UIGraphicsGetImageFromCurrentImageContext();
        UIGraphicsEndImageContext();
    }
    const auto subviews = _subviews;
    for (const auto& subview : subviews)
        subview->displayIfNeeded();
}

void UIView::drawRect(CGRect) {}
