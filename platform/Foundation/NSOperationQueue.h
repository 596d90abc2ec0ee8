#pragma once

#include "objc/objc-api.h"

#include <functional>

// The main queue: blocks added from any thread run on the main run loop's thread, in the order they were
// added, on a later turn of the loop. It is how work done on another thread hands its results back.
class ORVANE_EXPORT NSOperationQueue {
  public:
    using Block = std::function<void()>;

    // The first call must come from the main thread, which owns the loop the queue wakes.
    static NSOperationQueue& mainQueue();

    // Safe from any thread.
    void addOperationWithBlock(Block block);
    // How many blocks wait to run.
    std::size_t operationCount() const;

  private:
    struct State;
    NSOperationQueue();
    State* _state;
};
