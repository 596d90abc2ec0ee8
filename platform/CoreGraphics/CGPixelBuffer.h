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
// Memory of unspecified contents, for a bitmap that is wholly written before it is read: it may be the last
// photo-sized bitmap freed, whose pages are then written again without the kernel clearing them first.
ORVANE_EXPORT void* allocateForOverwrite(std::size_t bytes);
// Zeroes memory of either kind, as cheaply as the kernel allows.
ORVANE_EXPORT void clear(void* memory, std::size_t bytes);
ORVANE_EXPORT void deallocate(void* memory, std::size_t bytes);
} // namespace CGPixelMemory

template <typename T> struct CGPixelAllocator {
    using value_type = T;

    // With `forOverwrite`, a buffer's elements are unspecified until written, even where it grows; a copy
    // of the buffer gets zeroed memory again.
    CGPixelAllocator() = default;
    explicit CGPixelAllocator(bool overwrite) : forOverwrite(overwrite) {}
    template <typename U>
    CGPixelAllocator(const CGPixelAllocator<U>& other) : forOverwrite(other.forOverwrite) {}

    T* allocate(std::size_t count) {
        const std::size_t bytes = count * sizeof(T);
        return static_cast<T*>(forOverwrite ? CGPixelMemory::allocateForOverwrite(bytes)
                                            : CGPixelMemory::allocate(bytes));
    }
    void deallocate(T* memory, std::size_t count) { CGPixelMemory::deallocate(memory, count * sizeof(T)); }
    CGPixelAllocator select_on_container_copy_construction() const { return CGPixelAllocator(); }
    // The memory is zero already, or meant to be overwritten: value-initialising leaves it untouched.
    template <typename U> void construct(U* place) { ::new (static_cast<void*>(place)) U; }
    template <typename U, typename... Args> void construct(U* place, Args&&... args) {
        ::new (static_cast<void*>(place)) U(static_cast<Args&&>(args)...);
    }

    // Either kind frees the other's memory.
    template <typename U> bool operator==(const CGPixelAllocator<U>&) const { return true; }

    bool forOverwrite = false;
};

// 32-bit pixels, rows top to bottom, as CGImage and bitmap contexts keep them.
using CGPixelBuffer = std::vector<std::uint32_t, CGPixelAllocator<std::uint32_t>>;
