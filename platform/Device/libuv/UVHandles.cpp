#include "Device/libuv/UVHandles.h"

#include <cstdlib>
#include <unordered_set>

namespace {

std::unordered_set<uv_handle_t*>& closing() {
    static auto* handles = new std::unordered_set<uv_handle_t*>();
    return *handles;
}

void release(uv_handle_t* handle) {
    closing().erase(handle);
    std::free(handle);
}

} // namespace

namespace UVHandles {

uv_loop_t* mainLoop() {
    return uv_default_loop();
}

void close(uv_handle_t* handle) {
    if (!handle || uv_is_closing(handle))
        return;
    closing().insert(handle);
    uv_close(handle, release);
}

} // namespace UVHandles
