#pragma once

#include "objc/objc-api.h"

#include <chrono>
#include <functional>
#include <vector>

// The main run loop: timers, file events, notifications from other processes and performed blocks are
// delivered while it runs. It runs on the main thread only (CoreFoundation/MainThread.h).
class ORVANE_EXPORT NSRunLoop {
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

    // Runs `block` once the current callout has returned, the next time the loop runs; blocks run in the
    // order they were given. A block given while blocks run waits for the next turn.
    void performBlock(std::function<void()> block);

  private:
    void runBlocks();

    std::vector<std::function<void()>> _blocks;
};
