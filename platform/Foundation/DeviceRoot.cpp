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

// A plain absolute path (no ".", "..", "//" or trailing "/") needs no normalising, and plug-ins use nothing
// else.
bool isPlain(std::string_view devicePath) {
    if (devicePath.size() < 2 || devicePath.front() != '/' || devicePath.back() == '/')
        return false;
    return devicePath.find("//") == std::string_view::npos && devicePath.find("/.") == std::string_view::npos;
}

std::filesystem::path resolve(std::string_view devicePath) {
    if (isPlain(devicePath)) {
        std::string joined = current().native();
        if (joined.back() == '/')
            joined.pop_back();
        joined += devicePath;
        return joined;
    }
    // Normalising "/" + path drops every ".." that would climb above the device's own "/".
    const auto inside = (std::filesystem::path("/") / devicePath).lexically_normal().relative_path();
    return current() / inside;
}

} // namespace DeviceRoot
