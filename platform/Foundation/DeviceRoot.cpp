#include "Foundation/DeviceRoot.h"

namespace {

std::filesystem::path& rootStorage() {
    static std::filesystem::path root = "/";
    return root;
}

} // namespace

namespace DeviceRoot {

void set(const std::filesystem::path& root) {
    rootStorage() = std::filesystem::absolute(root).lexically_normal();
}

const std::filesystem::path& current() {
    return rootStorage();
}

std::filesystem::path resolve(std::string_view devicePath) {
    // Normalising "/" + path drops every ".." that would climb above the device's own "/".
    const auto inside = (std::filesystem::path("/") / devicePath).lexically_normal().relative_path();
    return current() / inside;
}

} // namespace DeviceRoot
