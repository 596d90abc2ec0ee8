#include "Foundation/NSTimer.h"

#include "Device/libuv/UVHandles.h"

#include <algorithm>
#include <cmath>

struct NSTimer::Handle {
    UVHandle<uv_timer_t> timer;
};

std::shared_ptr<NSTimer> NSTimer::scheduledTimerWithTimeInterval(double seconds, bool repeats, Block block) {
    std::shared_ptr<NSTimer> timer(new NSTimer(seconds, repeats, std::move(block)));
    timer->_scheduledSelf = timer;
    return timer;
}

NSTimer::NSTimer(double seconds, bool repeats, Block block) : _block(std::move(block)), _repeats(repeats) {
    const auto milliseconds = static_cast<std::uint64_t>(std::llround(std::max(seconds, 0.0) * 1000));
    _handle = std::make_unique<Handle>(Handle{UVHandles::open<uv_timer_t>(uv_timer_init, this)});
    uv_timer_start(
        _handle->timer.get(), [](uv_timer_t* timer) { static_cast<NSTimer*>(timer->data)->fire(); },
        milliseconds, repeats ? std::max<std::uint64_t>(milliseconds, 1) : 0);
}

NSTimer::~NSTimer() {
    invalidate();
}

void NSTimer::fire() {
    // The block may invalidate the timer and so drop the run loop's reference: keep this alive until it ends.
    const auto keepAlive = shared_from_this();
    _block(*this);
    if (!_repeats)
        invalidate();
}

void NSTimer::invalidate() {
    if (!_handle)
        return;
    _handle.reset();
    auto scheduled = std::move(_scheduledSelf);
}

bool NSTimer::isValid() const {
    return _handle != nullptr;
}
