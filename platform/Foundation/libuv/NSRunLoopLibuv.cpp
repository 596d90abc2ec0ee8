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

void NSRunLoop::runForInterval(std::chrono::milliseconds interval) {
    runUntil([] { return false; }, interval);
}

bool NSRunLoop::runUntil(const std::function<bool()>& condition, std::chrono::milliseconds timeout) {
    if (condition())
        return true;
    bool expired = false;
    auto* deadline = UVHandles::make<uv_timer_t>();
    uv_timer_init(UVHandles::mainLoop(), deadline);
    deadline->data = &expired;
    uv_timer_start(
        deadline, [](uv_timer_t* timer) { *static_cast<bool*>(timer->data) = true; },
        static_cast<std::uint64_t>(timeout.count()), 0);
    bool satisfied = false;
    while (!(satisfied = condition()) && !expired)
        uv_run(UVHandles::mainLoop(), UV_RUN_ONCE);
    uv_timer_stop(deadline);
    UVHandles::close(deadline);
    return satisfied;
}
