#pragma once

#include "Device/EventLogHost.h"

#include <string>
#include <string_view>
#include <vector>

// The events in the device's log whose kind starts with `kindPrefix`, oldest first, each as its kind and
// fields are written ("springboard.openURL url=twitter://post"), without the time and the process.
inline std::vector<std::string> loggedEvents(std::string_view kindPrefix = "") {
    std::vector<std::string> bodies;
    for (const auto& event : EventLog::events()) {
        if (event.kind.starts_with(kindPrefix))
            bodies.push_back(event.body);
    }
    return bodies;
}
