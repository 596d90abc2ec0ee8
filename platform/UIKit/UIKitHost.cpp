#include "UIKit/UIKitHost.h"

#include "UIKit/PresentationHost.h"
#include "UIKit/UIApplication.h"

void UIKitHost::setBounds(UIScreen& screen, CGRect bounds) {
    screen.setBounds(badge(), bounds);
}

void UIKitHost::setScale(UIScreen& screen, CGFloat scale) {
    screen.setScale(badge(), scale);
}

void UIKitHost::setUserInterfaceIdiom(UIDevice& device, UIUserInterfaceIdiom idiom) {
    device.setUserInterfaceIdiom(badge(), idiom);
}

void UIKitHost::setModel(UIDevice& device, std::string model) {
    device.setModel(badge(), std::move(model));
}

void UIKitHost::setSharedApplication(std::shared_ptr<UIApplication> application) {
    UIApplication::setSharedApplication(badge(), std::move(application));
}

void UIKitHost::setPresentationHost(PresentationHost* host) {
    PresentationHost::setCurrent(badge(), host);
}
