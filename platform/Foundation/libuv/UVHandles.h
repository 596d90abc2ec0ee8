#pragma once

#include <cstdlib>
#include <uv.h>

// libuv frees a handle only in its close callback, which runs on a later turn of the loop. Handles on their
// way out stay listed here until then, so that memory is never lost if the loop does not turn again.
namespace UVHandles {

uv_loop_t* mainLoop();

// A zeroed handle for uv_*_init; release it with close().
template <typename Handle> Handle* make() {
    return static_cast<Handle*>(std::calloc(1, sizeof(Handle)));
}

void close(uv_handle_t* handle);
template <typename Handle> void close(Handle* handle) {
    close(reinterpret_cast<uv_handle_t*>(handle));
}

} // namespace UVHandles
