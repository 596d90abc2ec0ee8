#pragma once

#include "objc/objc-api.h"

#include "UIKit/UIApplication.h"
#include "objc/Badge.h"

#include <memory>

class SpringBoardHost;

// SpringBoard's application object. Its state is the device's, set by the host; what it is asked to do goes
// to the device's event log.
class ORVANE_EXPORT SpringBoard : public UIApplication {
    OBJC_OBJECT(SpringBoard, UIApplication)
    // The process's SpringBoard, whether or not its class can be looked up by name.
    static std::shared_ptr<SpringBoard> sharedApplication();

    bool isLocked() const { return _locked; }
    // 1 and 2: portrait; 3 and 4: landscape; 0: unknown.
    int _frontMostAppOrientation() const { return _frontMostOrientation; }
    bool openURL(const NSURL& url) override;

    // Fresh SpringBoard objects (nothing installed, unlocked, Control Center closed).
    static void resetSharedObjects(Badge<SpringBoardHost>);

    void setLocked(Badge<SpringBoardHost>, bool locked) { _locked = locked; }
    void setFrontMostAppOrientation(Badge<SpringBoardHost>, int orientation) {
        _frontMostOrientation = orientation;
    }

  protected:
    SpringBoard() = default;

  private:
    bool _locked = false;
    int _frontMostOrientation = 1;
};
