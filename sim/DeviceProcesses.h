#pragma once

#include "ControlSocket.h"

#include <chrono>
#include <ctime>
#include <optional>
#include <span>
#include <string>
#include <string_view>
#include <sys/types.h>
#include <vector>

// Starting and watching the processes of a booted device: each is orvane-sim itself in a hidden role, which
// says on a pipe when it takes requests.
namespace DeviceProcesses {

// The time a person reads in `status`: local, to the second.
std::string localTime(std::time_t moment);
// How a process ended, from its wait status: "exited with status 1", "was killed by signal 9 (Killed)".
std::string ending(int waitStatus);

struct Started {
    pid_t pid = -1;
    // Why it did not start (it said so, or how it ended) when pid is -1.
    std::string problem;
};

// Starts orvane-sim with `arguments` after its name, detached from this process (ChildProcesses::Plan), and
// waits until it says it is ready (or fails, or the time runs out).
Started start(const std::vector<std::string>& arguments, std::chrono::milliseconds timeout);

// Sends the ready word, or what went wrong, to whoever waits for this process, and closes the pipe.
void tellReady(int& ready, std::string_view problem = {});

} // namespace DeviceProcesses
