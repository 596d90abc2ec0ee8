#include "UIKit/UIApplication.h"

namespace {

std::shared_ptr<UIApplication>& sharedSlot() {
    static std::shared_ptr<UIApplication> application;
    return application;
}

} // namespace

std::shared_ptr<UIApplication> UIApplication::sharedApplication() {
    return sharedSlot();
}

void UIApplication::setSharedApplication(Badge<UIKitHost>, std::shared_ptr<UIApplication> application) {
    sharedSlot() = std::move(application);
}

bool UIApplication::openURL(const NSURL&) {
    return false;
}
