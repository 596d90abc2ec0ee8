#pragma once

#include "objc/objc-api.h"

#include <cstdint>
#include <initializer_list>
#include <span>
#include <string_view>

// The device's event log: one file below the device root that every process on the device appends to, one
// whole line per event. The platform records what a person would see or hear and what leaves a plug-in;
// plug-ins never call this. The line format is described in docs/event-log.md and changes only with it.
namespace EventLog {

constexpr std::string_view devicePath = "/var/log/orvane-events.log";
// The log rotates once it would grow past this size: the file becomes the older one (replacing the one
// before it) and a fresh file starts. Readers take the older file first.
constexpr std::string_view olderDevicePath = "/var/log/orvane-events.log.1";
constexpr std::uint64_t rotationSize = 8 * 1024 * 1024;

struct ORVANE_EXPORT Field {
    std::string_view key;
    std::string_view value;
};

// Appends one line: the time, this process, the kind and the fields. An event that cannot be written is lost
// without failing the caller: the log records what happened, it never decides it. It never waits on what is
// at the log's path (anything but a regular file loses the event). Nothing is recorded before a host has
// chosen the device root.
ORVANE_EXPORT void record(std::string_view kind, std::span<const Field> fields);
inline void record(std::string_view kind, std::initializer_list<Field> fields = {}) {
    record(kind, std::span<const Field>(fields.begin(), fields.size()));
}

} // namespace EventLog
