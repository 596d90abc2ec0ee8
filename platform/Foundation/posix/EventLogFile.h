#pragma once

#include "Foundation/DeviceRoot.h"
#include "Foundation/EventLog.h"
#include "Foundation/posix/FileIO.h"

#include <fcntl.h>

// What the event log's writer (in the platform) and its reader (on the hosts' side) share: the file and the
// words of a line.
namespace EventLogFile {

inline std::filesystem::path path() {
    return DeviceRoot::resolve(EventLog::devicePath);
}

inline FileIO::FileDescriptor open(int flags) {
    return FileIO::FileDescriptor(::open(path().c_str(), flags | O_CLOEXEC, 0644));
}

// Kinds, keys and roles are words of their own: anything else would let one event pass for another.
inline bool isWordCharacter(char c) {
    return (c >= 'a' && c <= 'z') || (c >= 'A' && c <= 'Z') || (c >= '0' && c <= '9') || c == '.' ||
           c == '_' || c == '-';
}

} // namespace EventLogFile
