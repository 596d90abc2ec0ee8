#pragma once

#include "objc/objc-api.h"

#include "CoreGraphics/CGContext.h"
#include "Foundation/NSObject.h"

#include <memory>

class ORVANE_EXPORT UIBezierPath : public NSObject {
    OBJC_OBJECT(UIBezierPath, NSObject)
    static std::shared_ptr<UIBezierPath> bezierPathWithRect(CGRect rect);
    // The radius is limited to half the rectangle's shorter side.
    static std::shared_ptr<UIBezierPath> bezierPathWithRoundedRect(CGRect rect, CGFloat cornerRadius);
    static std::shared_ptr<UIBezierPath> bezierPathWithOvalInRect(CGRect rect);

    void moveToPoint(CGPoint point);
    void addLineToPoint(CGPoint point);
    void closePath();
    const ::CGPath& CGPath() const { return _path; }
    CGFloat lineWidth() const { return _lineWidth; }
    void setLineWidth(CGFloat width) { _lineWidth = width; }
    void setLineCapStyle(CGLineCap cap) { _lineCap = cap; }
    void setLineJoinStyle(CGLineJoin join) { _lineJoin = join; }

    // Act on the current image context (UIGraphics).
    void addClip() const;
    void fill() const;
    void stroke() const;

  protected:
    UIBezierPath() = default;

  private:
    ::CGPath _path;
    CGFloat _lineWidth = 1;
    CGLineCap _lineCap = kCGLineCapButt;
    CGLineJoin _lineJoin = kCGLineJoinMiter;
};
