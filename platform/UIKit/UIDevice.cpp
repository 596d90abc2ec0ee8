#include "UIKit/UIDevice.h"

UIDevice& UIDevice::currentDevice() {
    static const auto device = make();
    return *device;
}
