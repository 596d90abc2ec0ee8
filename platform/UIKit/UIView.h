#pragma once

#include "CoreGraphics/CGGeometry.h"
#include "Foundation/NSObject.h"
#include "UIKit/UIColor.h"

#include <memory>
#include <vector>

class UIGestureRecognizer;

// A rectangle in its superview, drawn as its background colour and then its subviews in order (later
// subviews above earlier ones). A view owns its subviews and its gesture recognizers; it only refers to its
// superview.
class UIView : public NSObject {
    OBJC_OBJECT(UIView, NSObject)
    CGRect frame() const { return _frame; }
    void setFrame(CGRect frame) { _frame = frame; }
    // The frame's size at the origin.
    CGRect bounds() const { return {{0, 0}, _frame.size}; }

    bool isHidden() const { return _hidden; }
    void setHidden(bool hidden) { _hidden = hidden; }
    CGFloat alpha() const { return _alpha; }
    void setAlpha(CGFloat alpha) { _alpha = alpha; }
    const std::shared_ptr<UIColor>& backgroundColor() const { return _backgroundColor; }
    void setBackgroundColor(std::shared_ptr<UIColor> color) { _backgroundColor = std::move(color); }

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

    // Draws this view and its visible subviews into the current image context (UIGraphics), with `rect` as
    // this view's bounds: background colours, images of buttons and image views, at their alpha.
    void drawViewHierarchyInRect(CGRect rect) const;

  protected:
    explicit UIView(CGRect frame = CGRectZero);
    static void registerProperties(NSPropertyTable<UIView>& table);

    // What the view itself shows above its background, in its own bounds (the context is already
    // positioned and clipped); subclasses that show content override it.
    virtual void drawContent(CGRect bounds) const;

  private:
    void drawInParentSpace(CGFloat inheritedAlpha) const;

    CGRect _frame;
    bool _hidden = false;
    CGFloat _alpha = 1;
    std::shared_ptr<UIColor> _backgroundColor;
    std::vector<std::shared_ptr<UIView>> _subviews;
    std::weak_ptr<UIView> _superview;
    std::vector<std::shared_ptr<UIGestureRecognizer>> _recognizers;
};
