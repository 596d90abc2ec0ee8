#include "Foundation/RunLoopSourceHost.h"

#include "CoreFoundation/MainThread.h"
#include "Device/libuv/UVHandles.h"

#include <variant>

struct RunLoopSource::State {
    std::function<void()> callback;
    std::variant<UVHandle<uv_poll_t>, UVHandle<uv_signal_t>> handle;

    bool watched() const {
        return std::visit([](const auto& owned) { return owned != nullptr; }, handle);
    }
};

namespace {

void callBack(void* data) {
    const auto& callback = static_cast<RunLoopSource::State*>(data)->callback;
    if (callback)
        callback();
}

} // namespace

RunLoopSource RunLoopSource::readable(Badge<FoundationHost>, int descriptor, std::function<void()> callback) {
    requireMainThread("watching a descriptor on the main run loop");
    auto state = std::make_unique<State>();
    state->callback = std::move(callback);
    auto poll = UVHandles::open<uv_poll_t>(
        [descriptor](uv_loop_t* loop, uv_poll_t* handle) { return uv_poll_init(loop, handle, descriptor); },
        state.get());
    // A descriptor that fails or hangs up is readable too: the callback finds that out when it reads.
    if (poll && uv_poll_start(poll.get(), UV_READABLE,
                              [](uv_poll_t* handle, int, int) { callBack(handle->data); }) == 0)
        state->handle = std::move(poll);
    return RunLoopSource(std::move(state));
}

RunLoopSource RunLoopSource::signal(Badge<FoundationHost>, int number, std::function<void()> callback) {
    requireMainThread("watching a signal on the main run loop");
    auto state = std::make_unique<State>();
    state->callback = std::move(callback);
    auto handle = UVHandles::open<uv_signal_t>(uv_signal_init, state.get());
    if (handle && uv_signal_start(
                      handle.get(), [](uv_signal_t* signal, int) { callBack(signal->data); }, number) == 0)
        state->handle = std::move(handle);
    return RunLoopSource(std::move(state));
}

void* RunLoopSource::nativeLoop(Badge<FoundationHost>) {
    return UVHandles::mainLoop();
}

RunLoopSource::RunLoopSource(std::unique_ptr<State> state) : _state(std::move(state)) {}
RunLoopSource::RunLoopSource(RunLoopSource&&) noexcept = default;
RunLoopSource& RunLoopSource::operator=(RunLoopSource&&) noexcept = default;
RunLoopSource::~RunLoopSource() = default;

RunLoopSource::operator bool() const {
    return _state && _state->watched();
}
