#pragma once

#include "objc/objc-api.h"

#include "Foundation/NSObject.h"
#include "SpringBoard/SBApplication.h"
#include "objc/Badge.h"

#include <map>
#include <memory>
#include <string>
#include <string_view>

class SpringBoardHost;

// The registry of installed applications.
class ORVANE_EXPORT SBApplicationController : public NSObject {
    OBJC_OBJECT(SBApplicationController, NSObject)
    static std::shared_ptr<SBApplicationController> sharedInstance();

    // Nothing when no application with that bundle identifier is installed.
    std::shared_ptr<SBApplication> applicationWithBundleIdentifier(std::string_view bundleIdentifier) const;

    // Installs the application, replacing one with the same bundle identifier.
    void addApplication(Badge<SpringBoardHost>, std::shared_ptr<SBApplication> application);

  protected:
    SBApplicationController() = default;

  private:
    std::map<std::string, std::shared_ptr<SBApplication>, std::less<>> _applications;
};
