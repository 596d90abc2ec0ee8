#pragma once

#include "CoreGraphics/CGGeometry.h"
#include "Foundation/NSObject.h"

#include <memory>

// A colour in device RGB with alpha, components 0 to 1.
class UIColor : public NSObject {
    OBJC_OBJECT(UIColor, NSObject)
    static std::shared_ptr<UIColor> colorWithRed(CGFloat red, CGFloat green, CGFloat blue, CGFloat alpha);
    static std::shared_ptr<UIColor> colorWithWhite(CGFloat white, CGFloat alpha);
    static std::shared_ptr<UIColor> clearColor();
    static std::shared_ptr<UIColor> blackColor();
    static std::shared_ptr<UIColor> whiteColor();

    CGFloat red() const { return _red; }
    CGFloat green() const { return _green; }
    CGFloat blue() const { return _blue; }
    CGFloat alpha() const { return _alpha; }
    bool isEqual(const UIColor& other) const;

  protected:
    UIColor(CGFloat red, CGFloat green, CGFloat blue, CGFloat alpha);

  private:
    CGFloat _red, _green, _blue, _alpha;
};
