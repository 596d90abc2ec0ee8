#include "UIKit/UIDevice.h"

UIDevice& UIDevice::currentDevice() {
    static UIDevice device;
    return device;
}
