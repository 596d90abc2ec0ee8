#pragma once

#include <chrono>
#include <functional>

// The main run loop: timers, file events and notifications from other processes are delivered while it runs.
class NSRunLoop {
  public:
    static NSRunLoop& mainRunLoop();

    // Runs until stop() is called or nothing is left to wait for.
    void run();
    void stop();
    // Runs for the given time, delivering whatever comes in meanwhile.
    void runForInterval(std::chrono::milliseconds interval);
    // Runs until `condition` holds (answers true) or the timeout passes (answers false).
    bool runUntil(const std::function<bool()>& condition, std::chrono::milliseconds timeout);
    // Delivers what has already come in (timers due, file events, notifications) without waiting.
    void runPendingEvents();
};
