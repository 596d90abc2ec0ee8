#pragma once

#include "objc/objc-api.h"

#include "Foundation/NSObject.h"
#include "SpringBoard/SBApplication.h"

#include <memory>

// SpringBoard's user interface: brings applications to the front.
class ORVANE_EXPORT SBUIController : public NSObject {
    OBJC_OBJECT(SBUIController, NSObject)
    static std::shared_ptr<SBUIController> sharedInstance();

    void activateApplication(const std::shared_ptr<SBApplication>& application);

  protected:
    SBUIController() = default;
};
