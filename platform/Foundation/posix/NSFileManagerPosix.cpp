#include "Foundation/NSFileManager.h"

#include "Device/DeviceRoot.h"
#include "Device/EventLog.h"
#include "Device/posix/FileIO.h"

#include <cerrno>
#include <cstdio>
#include <fcntl.h>
#include <filesystem>
#include <sys/stat.h>
#include <unistd.h>

namespace {

std::error_code lastError() {
    return {errno, std::generic_category()};
}

} // namespace

NSFileManager& NSFileManager::defaultManager() {
    static NSFileManager manager;
    return manager;
}

bool NSFileManager::fileExistsAtPath(std::string_view path) const {
    bool isDirectory = false;
    return fileExistsAtPath(path, isDirectory);
}

bool NSFileManager::fileExistsAtPath(std::string_view path, bool& isDirectory) const {
    struct stat info {};
    if (::stat(DeviceRoot::resolve(path).c_str(), &info) != 0)
        return false;
    isDirectory = S_ISDIR(info.st_mode);
    return true;
}

bool NSFileManager::removeItemAtPath(std::string_view path) {
    std::error_code error;
    return removeItemAtPath(path, error);
}

bool NSFileManager::removeItemAtPath(std::string_view path, std::error_code& error) {
    const auto target = FileIO::resolveKeepingName(path);
    if (::unlink(target.c_str()) == 0 || (errno == EISDIR && ::rmdir(target.c_str()) == 0)) {
        error.clear();
        EventLog::record("file.removed", {{"path", path}});
        return true;
    }
    error = lastError();
    return false;
}

bool NSFileManager::moveItemAtPath(std::string_view source, std::string_view destination,
                                   std::error_code& error) {
    const auto from = FileIO::resolveKeepingName(source);
    const auto to = FileIO::resolveKeepingName(destination);
    if (::renameat2(AT_FDCWD, from.c_str(), AT_FDCWD, to.c_str(), RENAME_NOREPLACE) == 0) {
        error.clear();
        EventLog::record("file.moved", {{"path", source}, {"to", destination}});
        return true;
    }
    error = lastError();
    return false;
}

std::size_t NSFileManager::removeAbandonedTemporaryFilesForPath(std::string_view path) {
    const auto target = FileIO::resolveKeepingName(path);
    const std::string name = target.filename().string();
    std::error_code error;
    std::size_t removed = 0;
    for (const auto& entry : std::filesystem::directory_iterator(target.parent_path(), error)) {
        if (FileIO::isTemporaryFileOf(entry.path().filename().native(), name) &&
            ::unlink(entry.path().c_str()) == 0)
            ++removed;
    }
    return removed;
}
