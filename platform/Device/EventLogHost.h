#pragma once

#include "objc/objc-api.h"

#include "objc/Badge.h"

#include <cstdint>
#include <memory>
#include <optional>
#include <string>
#include <string_view>
#include <utility>
#include <vector>

class DeviceHost;

// The hosts' side of the device's event log (the simulator and the tests): naming this process, reading and
// clearing the log.
namespace EventLog {

// How this process is named in the log ("sim", "SpringBoard", "Settings"); the program's name until set.
ORVANE_EXPORT void setProcessRole(Badge<DeviceHost>, std::string_view role);

struct ORVANE_EXPORT Event {
    std::string time;
    std::string process;
    long pid = 0;
    std::string kind;
    std::vector<std::pair<std::string, std::string>> fields;
    // The kind and the fields as the line writes them.
    std::string body;

    const std::string* field(std::string_view key) const;
};

// One line of the log, without its newline; nothing when it is not a line the log writes.
ORVANE_EXPORT std::optional<Event> parseLine(std::string_view line);

// Reads the log as it grows, line by line, in constant memory whatever the log's size: the older file first,
// then the current one, and on across a rotation. Every reader of the log goes through it.
class ORVANE_EXPORT Reader {
  public:
    // A longer line is skipped whole: no line the log writes comes near it.
    static constexpr std::size_t longestLine = 1024 * 1024;

    // Starts at the oldest line the log keeps.
    Reader();
    ~Reader();
    Reader(const Reader&) = delete;
    Reader& operator=(const Reader&) = delete;

    // The next whole line, without its newline; valid until the next call. Nothing when no whole line has
    // been written yet: a line still being written waits for a later call, which also sees what is written
    // since. A log cleared since the last call is read again from its beginning.
    std::optional<std::string_view> nextLine();

  private:
    struct File;
    bool fill();
    bool moveOn();
    std::optional<std::string_view> takeLine();

    std::unique_ptr<File> _older, _current;
    std::vector<char> _buffer;
    std::size_t _begin = 0, _end = 0;
    bool _skipping = false;
};

// Every event in the log, oldest first (for tests: they hold the whole log).
ORVANE_EXPORT std::vector<Event> events();
// Empties the log, the older file with it; answers whether it could (a missing log is empty already).
ORVANE_EXPORT bool clear();

} // namespace EventLog
