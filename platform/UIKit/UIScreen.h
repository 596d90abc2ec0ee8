#pragma once

#include "objc/objc-api.h"

#include "CoreGraphics/CGGeometry.h"
#include "Foundation/NSObject.h"
#include "objc/Badge.h"

class UIKitHost;

// The device's screen, as the host describes it.
class ORVANE_EXPORT UIScreen : public NSObject {
    OBJC_OBJECT(UIScreen, NSObject)
    static UIScreen& mainScreen();

    CGRect bounds() const { return _bounds; }
    CGFloat scale() const { return _scale; }

    void setBounds(Badge<UIKitHost>, CGRect bounds) { _bounds = bounds; }
    void setScale(Badge<UIKitHost>, CGFloat scale) { _scale = scale; }

  protected:
    UIScreen() = default;

  private:
    CGRect _bounds = CGRectMake(0, 0, 320, 568);
    CGFloat _scale = 2;
};
