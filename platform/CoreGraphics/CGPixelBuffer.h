#pragma once

#include "objc/objc-api.h"

#include <cstddef>
#include <cstdint>
#include <vector>

// Memory for bitmaps: zeroed when handed out (a new bitmap is transparent black), without the library
// writing it first, and on large pages for photo-sized bitmaps, whose first touch would otherwise cost a
// page fault every 4 KiB.
namespace CGPixelMemory {
ORVANE_EXPORT void* allocate(std::size_t bytes);
ORVANE_EXPORT void deallocate(void* memory, std::size_t bytes);
} // namespace CGPixelMemory

template <typename T> struct CGPixelAllocator {
    using value_type = T;

    CGPixelAllocator() = default;
    template <typename U> CGPixelAllocator(const CGPixelAllocator<U>&) {}

    T* allocate(std::size_t count) { return static_cast<T*>(CGPixelMemory::allocate(count * sizeof(T))); }
    void deallocate(T* memory, std::size_t count) { CGPixelMemory::deallocate(memory, count * sizeof(T)); }
    // The memory is zero already: value-initialising leaves it untouched.
    template <typename U> void construct(U* place) { ::new (static_cast<void*>(place)) U; }
    template <typename U, typename... Args> void construct(U* place, Args&&... args) {
        ::new (static_cast<void*>(place)) U(static_cast<Args&&>(args)...);
    }

    template <typename U> bool operator==(const CGPixelAllocator<U>&) const { return true; }
};

// 32-bit pixels, rows top to bottom, as CGImage and bitmap contexts keep them.
using CGPixelBuffer = std::vector<std::uint32_t, CGPixelAllocator<std::uint32_t>>;
