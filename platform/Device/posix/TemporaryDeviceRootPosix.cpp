#include "Device/TemporaryDeviceRoot.h"

#include "Device/DeviceHost.h"

#include <cstdlib>
#include <string>

std::unique_ptr<TemporaryDeviceRoot> TemporaryDeviceRoot::make(std::string_view prefix) {
    std::error_code error;
    const auto folder = std::filesystem::temp_directory_path(error);
    if (error)
        return nullptr;
    std::string pattern = (folder / (std::string(prefix) + "-XXXXXX")).string();
    if (!::mkdtemp(pattern.data()))
        return nullptr;
    DeviceHost::setRoot(pattern);
    return std::unique_ptr<TemporaryDeviceRoot>(new TemporaryDeviceRoot(pattern));
}

TemporaryDeviceRoot::~TemporaryDeviceRoot() {
    std::error_code error;
    std::filesystem::remove_all(_path, error);
}
