#pragma once

#include "CoreGraphics/CGContext.h"
#include "Foundation/NSObject.h"

#include <memory>

class UIBezierPath : public NSObject {
    OBJC_OBJECT(UIBezierPath, NSObject)
    static std::shared_ptr<UIBezierPath> bezierPathWithRect(CGRect rect);
    // The radius is limited to half the rectangle's shorter side.
    static std::shared_ptr<UIBezierPath> bezierPathWithRoundedRect(CGRect rect, CGFloat cornerRadius);
    static std::shared_ptr<UIBezierPath> bezierPathWithOvalInRect(CGRect rect);

    void moveToPoint(CGPoint point);
    void addLineToPoint(CGPoint point);
    void closePath();
    const ::CGPath& CGPath() const { return _path; }

    // Act on the current image context (UIGraphics).
    void addClip() const;
    void fill() const;
    void stroke() const;

  protected:
    UIBezierPath() = default;

  private:
    ::CGPath _path;
};
