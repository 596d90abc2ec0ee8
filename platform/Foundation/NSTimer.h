#pragma once

#include "objc/objc-api.h"

#include <functional>
#include <memory>

// A timer on the main run loop. The run loop keeps a scheduled timer alive until it is invalidated or, for a
// timer that does not repeat, until it has fired.
class ORVANE_EXPORT NSTimer : public std::enable_shared_from_this<NSTimer> {
  public:
    using Block = std::function<void(NSTimer&)>;

    static std::shared_ptr<NSTimer> scheduledTimerWithTimeInterval(double seconds, bool repeats, Block block);

    ~NSTimer();
    NSTimer(const NSTimer&) = delete;
    NSTimer& operator=(const NSTimer&) = delete;

    void invalidate();
    bool isValid() const;

  private:
    struct Handle;
    NSTimer(double seconds, bool repeats, Block block);
    void fire();

    Block _block;
    bool _repeats;
    std::unique_ptr<Handle> _handle;
    std::shared_ptr<NSTimer> _scheduledSelf;
};
