#pragma once

#include "objc/objc-api.h"

#include <memory>
#include <string_view>

// A lock that processes sharing the device take around a read-modify-write of a file. It lives in a file of
// its own (a device path), is advisory, and a process that dies releases it with no one's help.
class ORVANE_EXPORT NSDistributedLock {
  public:
    // Nothing when the lock file cannot be opened or made.
    static std::unique_ptr<NSDistributedLock> lockWithPath(std::string_view path);
    ~NSDistributedLock();
    NSDistributedLock(const NSDistributedLock&) = delete;
    NSDistributedLock& operator=(const NSDistributedLock&) = delete;

    bool tryLock();
    // Waits for the lock.
    bool lock();
    void unlock();

  private:
    explicit NSDistributedLock(int fd) : _fd(fd) {}
    int _fd;
    bool _held = false;
};
