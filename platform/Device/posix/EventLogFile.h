#pragma once

#include "Device/DeviceRoot.h"
#include "Device/EventLog.h"
#include "Device/posix/FileIO.h"

#include <cerrno>
#include <fcntl.h>
#include <sys/stat.h>

// What the event log's writer (in the platform) and its reader (on the hosts' side) share: the files and the
// words of a line.
namespace EventLogFile {

inline std::filesystem::path path() {
    return DeviceRoot::resolve(EventLog::devicePath);
}

inline std::filesystem::path olderPath() {
    return DeviceRoot::resolve(EventLog::olderDevicePath);
}

// The log at `file`, opened without ever waiting (a FIFO or a device put in its place would hold the caller
// forever), and only when it is a regular file: -1 otherwise, with errno set.
inline FileIO::FileDescriptor open(const std::filesystem::path& file, int flags) {
    FileIO::FileDescriptor fd(::open(file.c_str(), flags | O_CLOEXEC | O_NONBLOCK | O_NOCTTY, 0644));
    struct stat info {};
    if (fd.get() >= 0 && (::fstat(fd.get(), &info) != 0 || !S_ISREG(info.st_mode))) {
        errno = EINVAL;
        return FileIO::FileDescriptor(-1);
    }
    return fd;
}

// Whether the open file is still the one at `file`: a writer that rotated the log renames it away.
inline bool isAt(int fd, const std::filesystem::path& file) {
    struct stat opened {
    }, named{};
    return ::fstat(fd, &opened) == 0 && ::stat(file.c_str(), &named) == 0 && opened.st_dev == named.st_dev &&
           opened.st_ino == named.st_ino;
}

// Kinds, keys and roles are words of their own: anything else would let one event pass for another.
inline bool isWordCharacter(char c) {
    return (c >= 'a' && c <= 'z') || (c >= 'A' && c <= 'Z') || (c >= '0' && c <= '9') || c == '.' ||
           c == '_' || c == '-';
}

} // namespace EventLogFile
