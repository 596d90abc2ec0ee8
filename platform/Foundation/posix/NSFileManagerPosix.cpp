#include "Foundation/NSFileManager.h"

#include "Foundation/DeviceRoot.h"
#include "Foundation/EventLog.h"

#include <cstdio>
#include <filesystem>

NSFileManager& NSFileManager::defaultManager() {
    static NSFileManager manager;
    return manager;
}

bool NSFileManager::fileExistsAtPath(std::string_view path) const {
    std::error_code error;
    return std::filesystem::exists(DeviceRoot::resolve(path), error);
}

bool NSFileManager::removeItemAtPath(std::string_view path) {
    if (std::remove(DeviceRoot::resolve(path).c_str()) != 0)
        return false;
    EventLog::record("file.removed", {{"path", path}});
    return true;
}
