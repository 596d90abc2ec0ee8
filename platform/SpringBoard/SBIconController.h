#pragma once

#include "objc/objc-api.h"

#include "Foundation/NSObject.h"
#include "SpringBoard/SBApplication.h"

#include <memory>

// The home screen's icon controller: opens an application on one of its quick actions, as the icon's
// quick-action menu does.
class ORVANE_EXPORT SBIconController : public NSObject {
    OBJC_OBJECT(SBIconController, NSObject)
    static std::shared_ptr<SBIconController> sharedInstance();

    void _activateShortcutItem(const std::shared_ptr<SBSApplicationShortcutItem>& item,
                               const std::shared_ptr<SBApplication>& application);

  protected:
    SBIconController() = default;
};
