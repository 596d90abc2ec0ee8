#include "Foundation/NSDistributedLock.h"

#include "Device/posix/FileIO.h"

#include <cerrno>
#include <fcntl.h>
#include <sys/file.h>
#include <unistd.h>

std::unique_ptr<NSDistributedLock> NSDistributedLock::lockWithPath(std::string_view path) {
    const auto file = FileIO::resolveKeepingName(path);
    std::error_code error;
    std::filesystem::create_directories(file.parent_path(), error);
    const int fd = ::open(file.c_str(), O_RDWR | O_CREAT | O_CLOEXEC | O_NOFOLLOW, 0644);
    if (fd < 0)
        return nullptr;
    return std::unique_ptr<NSDistributedLock>(new NSDistributedLock(fd));
}

NSDistributedLock::~NSDistributedLock() {
    unlock();
    ::close(_fd);
}

bool NSDistributedLock::tryLock() {
    _held = _held || ::flock(_fd, LOCK_EX | LOCK_NB) == 0;
    return _held;
}

bool NSDistributedLock::lock() {
    while (!_held) {
        if (::flock(_fd, LOCK_EX) == 0)
            _held = true;
        else if (errno != EINTR)
            return false;
    }
    return true;
}

void NSDistributedLock::unlock() {
    if (_held)
        ::flock(_fd, LOCK_UN);
    _held = false;
}
