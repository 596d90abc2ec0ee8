#include "Foundation/NSRunLoop.h"

#include "Foundation/libuv/UVHandles.h"

NSRunLoop& NSRunLoop::mainRunLoop() {
    static NSRunLoop runLoop;
    return runLoop;
}

void NSRunLoop::run() {
    uv_run(UVHandles::mainLoop(), UV_RUN_DEFAULT);
}

void NSRunLoop::stop() {
    uv_stop(UVHandles::mainLoop());
}

void NSRunLoop::runPendingEvents() {
    uv_run(UVHandles::mainLoop(), UV_RUN_NOWAIT);
}

void NSRunLoop::runForInterval(std::chrono::milliseconds interval) {
    runUntil([] { return false; }, interval);
}

bool NSRunLoop::runUntil(const std::function<bool()>& condition, std::chrono::milliseconds timeout) {
    if (condition())
        return true;
    bool expired = false;
    auto* deadline = UVHandles::make<uv_timer_t>();
    uv_loop_t* loop = UVHandles::mainLoop();
    uv_timer_init(loop, deadline);
    deadline->data = &expired;
    // The loop's clock is only as fresh as its last turn: without an update the deadline may lie in the past.
    uv_update_time(loop);
    // A deadline that fires at the start of a turn would otherwise leave that turn's poll waiting without a
    // timeout whenever a file watch keeps the loop alive; stopping makes the poll return at once.
    uv_timer_start(
        deadline,
        [](uv_timer_t* timer) {
            *static_cast<bool*>(timer->data) = true;
            uv_stop(timer->loop);
        },
        static_cast<std::uint64_t>(timeout.count()), 0);
    bool satisfied = false;
    while (!(satisfied = condition()) && !expired)
        uv_run(loop, UV_RUN_ONCE);
    uv_timer_stop(deadline);
    UVHandles::close(deadline);
    return satisfied;
}
