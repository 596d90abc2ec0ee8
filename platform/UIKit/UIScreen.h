#pragma once

#include "objc/objc-api.h"

#include "CoreGraphics/CGGeometry.h"
#include "Foundation/NSObject.h"
#include "objc/Badge.h"

// The device's screen, as the host describes it.
class ORVANE_EXPORT UIScreen : public NSObject {
    OBJC_OBJECT(UIScreen, NSObject)
    static UIScreen& mainScreen();

    CGRect bounds() const { return _bounds; }
    CGFloat scale() const { return _scale; }

    void setBounds(Badge<PlatformHost>, CGRect bounds) { _bounds = bounds; }
    void setScale(Badge<PlatformHost>, CGFloat scale) { _scale = scale; }

  protected:
    UIScreen() = default;

  private:
    CGRect _bounds = CGRectMake(0, 0, 320, 568);
    CGFloat _scale = 2;
};
