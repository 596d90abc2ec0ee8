#pragma once

#include <cstdlib>
#include <memory>
#include <uv.h>

// libuv frees a handle only in its close callback, which runs on a later turn of the loop. Handles on their
// way out stay listed here until then, so that memory is never lost if the loop does not turn again.
namespace UVHandles {

uv_loop_t* mainLoop();

void close(uv_handle_t* handle);
template <typename Handle> void close(Handle* handle) {
    close(reinterpret_cast<uv_handle_t*>(handle));
}

struct Closer {
    template <typename Handle> void operator()(Handle* handle) const { close(handle); }
};

} // namespace UVHandles

// An owned handle on the main loop: dropping it closes the handle (stopping it first) and frees it once
// libuv is done with it.
template <typename Handle> using UVHandle = std::unique_ptr<Handle, UVHandles::Closer>;

namespace UVHandles {

// A handle initialised on the main loop with its uv_*_init function, e.g. open<uv_timer_t>(uv_timer_init).
template <typename Handle, typename Init> UVHandle<Handle> open(Init init, void* data) {
    auto* handle = static_cast<Handle*>(std::calloc(1, sizeof(Handle)));
    if (!handle || init(mainLoop(), handle) != 0) {
        std::free(handle);
        return nullptr;
    }
    handle->data = data;
    return UVHandle<Handle>(handle);
}

} // namespace UVHandles
