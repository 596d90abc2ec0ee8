#include "Foundation/NSRunLoop.h"

#include "CoreFoundation/MainThread.h"
#include "Device/libuv/UVHandles.h"

namespace {

// An active idle handle keeps the loop turning without waiting while blocks are queued.
uv_idle_t* blockRunner(NSRunLoop* runLoop) {
    static const UVHandle<uv_idle_t> runner = UVHandles::open<uv_idle_t>(uv_idle_init, runLoop);
    return runner.get();
}

} // namespace

NSRunLoop& NSRunLoop::mainRunLoop() {
    static NSRunLoop runLoop;
    return runLoop;
}

void NSRunLoop::run() {
    requireMainThread("running the main run loop");
    uv_run(UVHandles::mainLoop(), UV_RUN_DEFAULT);
}

void NSRunLoop::stop() {
    uv_stop(UVHandles::mainLoop());
}

void NSRunLoop::runPendingEvents() {
    requireMainThread("running the main run loop");
    uv_run(UVHandles::mainLoop(), UV_RUN_NOWAIT);
}

void NSRunLoop::runForInterval(std::chrono::milliseconds interval) {
    runUntil([] { return false; }, interval);
}

bool NSRunLoop::runUntil(const std::function<bool()>& condition, std::chrono::milliseconds timeout) {
    requireMainThread("running the main run loop");
    if (condition())
        return true;
    bool expired = false;
    const auto deadline = UVHandles::open<uv_timer_t>(uv_timer_init, &expired);
    uv_loop_t* loop = UVHandles::mainLoop();
    // The loop's clock is only as fresh as its last turn: without an update the deadline may lie in the past.
    uv_update_time(loop);
    // A deadline that fires at the start of a turn would otherwise leave that turn's poll waiting without a
    // timeout whenever a file watch keeps the loop alive; stopping makes the poll return at once.
    uv_timer_start(
        deadline.get(),
        [](uv_timer_t* timer) {
            *static_cast<bool*>(timer->data) = true;
            uv_stop(timer->loop);
        },
        static_cast<std::uint64_t>(timeout.count()), 0);
    bool satisfied = false;
    while (!(satisfied = condition()) && !expired)
        uv_run(loop, UV_RUN_ONCE);
    return satisfied;
}

void NSRunLoop::performBlock(std::function<void()> block) {
    requireMainThread("performing a block on the main run loop");
    if (!block)
        return;
    _blocks.push_back(std::move(block));
    uv_idle_start(blockRunner(this),
                  [](uv_idle_t* runner) { static_cast<NSRunLoop*>(runner->data)->runBlocks(); });
}

void NSRunLoop::runBlocks() {
    uv_idle_stop(blockRunner(this));
    const auto blocks = std::move(_blocks);
    _blocks.clear();
    for (const auto& block : blocks)
        block();
}
