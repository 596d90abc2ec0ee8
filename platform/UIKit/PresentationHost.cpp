#include "UIKit/PresentationHost.h"

namespace {

PresentationHost* currentHost = nullptr;

} // namespace

void PresentationHost::setCurrent(Badge<UIKitHost>, PresentationHost* host) {
    currentHost = host;
}

PresentationHost* PresentationHost::current() {
    return currentHost;
}
