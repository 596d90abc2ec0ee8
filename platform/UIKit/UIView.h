#pragma once

#include "objc/objc-api.h"

#include "CoreGraphics/CGGeometry.h"
#include "Foundation/NSObject.h"
#include "QuartzCore/CALayer.h"
#include "UIKit/NSLayoutConstraint.h"
#include "UIKit/UIColor.h"

#include <chrono>
#include <functional>
#include <memory>
#include <optional>
#include <vector>

class UIGestureRecognizer;
class UIImage;

// A rectangle in its superview, drawn as its background colour and then its subviews in order (later
// subviews above earlier ones). A view owns its subviews and its gesture recognizers; it only refers to its
// superview.
class ORVANE_EXPORT UIView : public NSObject {
    OBJC_OBJECT(UIView, NSObject)
    CGRect frame() const { return _frame; }
    // Inside an animation block the change is animated (see animateWithDuration); outside, it ends any
    // animation of the frame.
    void setFrame(CGRect frame);
    // The frame's size at the origin.
    CGRect bounds() const { return {{0, 0}, _frame.size}; }

    bool isHidden() const { return _hidden; }
    void setHidden(bool hidden) { _hidden = hidden; }
    CGFloat alpha() const { return _alpha; }
    void setAlpha(CGFloat alpha) { _alpha = alpha; }
    const std::shared_ptr<UIColor>& backgroundColor() const { return _backgroundColor; }
    void setBackgroundColor(std::shared_ptr<UIColor> color) { _backgroundColor = std::move(color); }

    // Whether the point, in this view's bounds, lies inside it.
    bool pointInside(CGPoint point) const;
    // The deepest view under the point (in this view's bounds) that a finger reaches: later subviews above
    // earlier ones; a hidden or fully transparent view, and what is in it, takes no touch. Nothing when the
    // point is outside this view.
    std::shared_ptr<UIView> hitTest(CGPoint point);

    // Adding a view that has another superview moves it here; adding it again moves it to the top.
    void addSubview(const std::shared_ptr<UIView>& view);
    void removeFromSuperview();
    const std::vector<std::shared_ptr<UIView>>& subviews() const { return _subviews; }
    std::shared_ptr<UIView> superview() const { return _superview.lock(); }

    void addGestureRecognizer(const std::shared_ptr<UIGestureRecognizer>& recognizer);
    void removeGestureRecognizer(const std::shared_ptr<UIGestureRecognizer>& recognizer);
    const std::vector<std::shared_ptr<UIGestureRecognizer>>& gestureRecognizers() const {
        return _recognizers;
    }

    // The layer's sublayers draw above the view's content and below its subviews.
    const std::shared_ptr<CALayer>& layer() const { return _layer; }
    // Drawing always stays inside the bounds; the property is kept for what asks for it.
    bool clipsToBounds() const { return _clipsToBounds; }
    void setClipsToBounds(bool clips) { _clipsToBounds = clips; }

    // drawRect runs in the next display pass after setNeedsDisplay, into an image of the view's bounds at the
    // screen's scale, which the view then shows above its background.
    void setNeedsDisplay() { _needsDisplay = true; }
    bool needsDisplay() const { return _needsDisplay; }
    // The display pass over this view and its subviews.
    void displayIfNeeded();

    // Constraints between this view's subviews and its edges; the layout pass places the subviews by them.
    void addConstraints(const std::vector<NSLayoutConstraint>& constraints);
    const std::vector<NSLayoutConstraint>& constraints() const { return _constraints; }
    void setNeedsLayout() { _needsLayout = true; }
    // The layout pass over this view and its subviews.
    void layoutIfNeeded();

    // Runs `animations` at once, recording each frame change it makes as an animation of `duration` seconds
    // from the frame before to the frame after. What is drawn is the frame at the moment of drawing; the
    // frame the view reports is already the final one, as with UIKit's model values.
    static void animateWithDuration(double duration, const std::function<void()>& animations);
    // The frame as drawn now, part way through an animation.
    CGRect presentationFrame() const;
    bool isAnimating() const;

    // Draws this view and its visible subviews into the current image context (UIGraphics), with `rect` as
    // this view's bounds: background colours, images of buttons and image views, at their alpha.
    void drawViewHierarchyInRect(CGRect rect) const;

  protected:
    explicit UIView(CGRect frame = CGRectZero);
    static void registerProperties(NSPropertyTable<UIView>& table);

    // What the view itself shows above its background, in its own bounds (the context is already
    // positioned and clipped); subclasses that show content override it.
    virtual void drawContent(CGRect bounds) const;
    // The display pass's drawing, into the view's image (the current image context), in its bounds.
    virtual void drawRect(CGRect rect);
    // Places the subviews; by default by the view's constraints.
    virtual void layoutSubviews();

  private:
    struct Animation {
        CGRect from;
        std::chrono::steady_clock::time_point start;
        std::chrono::duration<double> duration;
    };

    void drawInParentSpace(CGFloat inheritedAlpha) const;

    CGRect _frame;
    std::shared_ptr<CALayer> _layer = CALayer::layer();
    bool _clipsToBounds = false;
    bool _needsDisplay = false;
    bool _needsLayout = false;
    std::shared_ptr<UIImage> _contents;
    std::vector<NSLayoutConstraint> _constraints;
    std::optional<Animation> _animation;
    bool _hidden = false;
    CGFloat _alpha = 1;
    std::shared_ptr<UIColor> _backgroundColor;
    std::vector<std::shared_ptr<UIView>> _subviews;
    std::weak_ptr<UIView> _superview;
    std::vector<std::shared_ptr<UIGestureRecognizer>> _recognizers;
};
