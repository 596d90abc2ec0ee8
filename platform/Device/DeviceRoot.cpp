#include "Device/DeviceRoot.h"

namespace {

std::filesystem::path& rootStorage() {
    static std::filesystem::path root = "/";
    return root;
}

} // namespace

namespace DeviceRoot {

void set(Badge<DeviceHost>, const std::filesystem::path& root) {
    rootStorage() = std::filesystem::absolute(root).lexically_normal();
}

const std::filesystem::path& current() {
    return rootStorage();
}

} // namespace DeviceRoot
