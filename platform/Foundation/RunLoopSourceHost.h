#pragma once

#include "objc/objc-api.h"

#include "objc/Badge.h"

#include <functional>
#include <memory>

class FoundationHost;

// The hosts' side of the main run loop: something outside the process that wakes it. The callback runs on the
// main thread, in a turn of the loop, each time the descriptor can be read or the signal has come; the source
// stops when it is dropped.
class ORVANE_EXPORT RunLoopSource {
  public:
    static RunLoopSource readable(Badge<FoundationHost>, int descriptor, std::function<void()> callback);
    static RunLoopSource signal(Badge<FoundationHost>, int number, std::function<void()> callback);
    // The event loop under the main run loop, for a host library that turns its own handles on it (the
    // device page's server); opaque to everything else.
    static void* nativeLoop(Badge<FoundationHost>);

    RunLoopSource(RunLoopSource&&) noexcept;
    RunLoopSource& operator=(RunLoopSource&&) noexcept;
    ~RunLoopSource();

    // Whether the loop watches it (a descriptor the loop cannot watch is not).
    explicit operator bool() const;

    struct State;

  private:
    explicit RunLoopSource(std::unique_ptr<State> state);

    std::unique_ptr<State> _state;
};
