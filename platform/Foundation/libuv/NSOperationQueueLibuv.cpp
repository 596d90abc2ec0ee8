#include "Foundation/NSOperationQueue.h"

#include "Device/libuv/UVHandles.h"

#include <deque>
#include <mutex>

struct NSOperationQueue::State {
    uv_async_t wakeUp;
    mutable std::mutex mutex;
    std::deque<Block> blocks;

    void runWaitingBlocks() {
        std::deque<Block> due;
        {
            std::lock_guard lock(mutex);
            due.swap(blocks);
        }
        for (auto& block : due)
            block();
    }
};

NSOperationQueue& NSOperationQueue::mainQueue() {
    static NSOperationQueue queue;
    return queue;
}

NSOperationQueue::NSOperationQueue() : _state(new State) {
    uv_async_init(UVHandles::mainLoop(), &_state->wakeUp,
                  [](uv_async_t* handle) { static_cast<State*>(handle->data)->runWaitingBlocks(); });
    _state->wakeUp.data = _state;
    // Waiting blocks keep the loop turning through the wake-up; an idle queue does not keep it alive.
    uv_unref(reinterpret_cast<uv_handle_t*>(&_state->wakeUp));
}

void NSOperationQueue::addOperationWithBlock(Block block) {
    {
        std::lock_guard lock(_state->mutex);
        _state->blocks.push_back(std::move(block));
    }
    uv_async_send(&_state->wakeUp);
}

std::size_t NSOperationQueue::operationCount() const {
    std::lock_guard lock(_state->mutex);
    return _state->blocks.size();
}
