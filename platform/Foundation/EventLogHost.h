#pragma once

#include "objc/objc-api.h"

#include "objc/Badge.h"

#include <cstdint>
#include <optional>
#include <string>
#include <string_view>
#include <utility>
#include <vector>

// The hosts' side of the device's event log (the simulator and the tests): naming this process, reading and
// clearing the log.
namespace EventLog {

// How this process is named in the log ("sim", "SpringBoard", "Settings"); the program's name until set.
ORVANE_EXPORT void setProcessRole(Badge<PlatformHost>, std::string_view role);

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

// The whole lines written at or after byte `offset`, each with its newline; `offset` moves past them. A line
// still being written stays for the next call.
ORVANE_EXPORT std::string readLinesFrom(std::uint64_t& offset);
// Every event in the log, oldest first.
ORVANE_EXPORT std::vector<Event> events();
// Empties the log; answers whether it could (a missing log is empty already).
ORVANE_EXPORT bool clear();

} // namespace EventLog
