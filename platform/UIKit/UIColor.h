#pragma once

#include "objc/objc-api.h"

#include "CoreGraphics/CGColor.h"
#include "CoreGraphics/CGGeometry.h"
#include "Foundation/NSObject.h"

#include <memory>

// A colour in device RGB with alpha, components 0 to 1.
class ORVANE_EXPORT UIColor : public NSObject {
    OBJC_OBJECT(UIColor, NSObject)
    static std::shared_ptr<UIColor> colorWithRed(CGFloat red, CGFloat green, CGFloat blue, CGFloat alpha);
    static std::shared_ptr<UIColor> colorWithWhite(CGFloat white, CGFloat alpha);
    static std::shared_ptr<UIColor> clearColor();
    static std::shared_ptr<UIColor> blackColor();
    static std::shared_ptr<UIColor> whiteColor();
    static std::shared_ptr<UIColor> grayColor();
    static std::shared_ptr<UIColor> darkGrayColor();
    static std::shared_ptr<UIColor> lightGrayColor();
    static std::shared_ptr<UIColor> redColor();

    CGFloat red() const { return _red; }
    CGFloat green() const { return _green; }
    CGFloat blue() const { return _blue; }
    CGFloat alpha() const { return _alpha; }
    bool isEqual(const UIColor& other) const;
    CGColorRef CGColor() const { return CGColorCreateSRGB(_red, _green, _blue, _alpha); }
    // The colour of later fills or strokes in the current image context (UIGraphics).
    void setFill() const;
    void setStroke() const;

  protected:
    UIColor(CGFloat red, CGFloat green, CGFloat blue, CGFloat alpha);

  private:
    CGFloat _red, _green, _blue, _alpha;
};
