#pragma once

#include "UIKit/UIDevice.h"
#include "UIKit/UIScreen.h"
#include "objc/Badge.h"

#include <memory>
#include <string>

class PresentationHost;
class UIApplication;

// The hosts' side of the screen, the device and the application object, as the device's profile says. Their
// setters take this class's badge, so that they are set from here alone.
class UIKitHost {
  public:
    UIKitHost() = delete;

    static void setBounds(UIScreen& screen, CGRect bounds);
    static void setScale(UIScreen& screen, CGFloat scale);
    static void setUserInterfaceIdiom(UIDevice& device, UIUserInterfaceIdiom idiom);
    static void setModel(UIDevice& device, std::string model);
    // The process's application object (nullptr for none).
    static void setSharedApplication(std::shared_ptr<UIApplication> application);
    // The host of this process's presentations (nullptr for none); a host unregisters itself before it is
    // destroyed.
    static void setPresentationHost(PresentationHost* host);

  private:
    static Badge<UIKitHost> badge() { return {}; }
};
