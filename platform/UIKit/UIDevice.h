#pragma once

#include "objc/objc-api.h"

#include "Foundation/NSObject.h"
#include "objc/Badge.h"

#include <string>

class UIKitHost;

enum UIUserInterfaceIdiom {
    UIUserInterfaceIdiomUnspecified = -1,
    UIUserInterfaceIdiomPhone = 0,
    UIUserInterfaceIdiomPad = 1,
};

// The device, as the host describes it.
class ORVANE_EXPORT UIDevice : public NSObject {
    OBJC_OBJECT(UIDevice, NSObject)
    static UIDevice& currentDevice();

    UIUserInterfaceIdiom userInterfaceIdiom() const { return _idiom; }
    const std::string& model() const { return _model; }

    void setUserInterfaceIdiom(Badge<UIKitHost>, UIUserInterfaceIdiom idiom) { _idiom = idiom; }
    void setModel(Badge<UIKitHost>, std::string model) { _model = std::move(model); }

  protected:
    UIDevice() = default;

  private:
    UIUserInterfaceIdiom _idiom = UIUserInterfaceIdiomPhone;
    std::string _model = "iPhone";
};
