#pragma once

#include "objc/objc-api.h"

#include "Foundation/NSObject.h"
#include "Foundation/NSURL.h"
#include "objc/Badge.h"

#include <memory>

class UIKitHost;

// The application object of the process. Hosts install theirs (SpringBoard in the section's process).
class ORVANE_EXPORT UIApplication : public NSObject {
    OBJC_OBJECT(UIApplication, NSObject)
    // The installed application object; nothing when the host installed none.
    static std::shared_ptr<UIApplication> sharedApplication();
    static void setSharedApplication(Badge<UIKitHost>, std::shared_ptr<UIApplication> application);

    // Hands the URL to whatever opens it; answers whether something did.
    virtual bool openURL(const NSURL& url);

  protected:
    UIApplication() = default;
};
