#include "CoreGraphics/CGPixelBuffer.h"

#include <sys/mman.h>

#include <cstdlib>
#include <new>

namespace {

constexpr std::size_t largePage = 2u * 1024 * 1024;
// From here on a bitmap gets pages of its own; below, the heap serves it.
constexpr std::size_t mappedFrom = 4 * largePage;

std::size_t roundedUp(std::size_t bytes, std::size_t unit) {
    return (bytes + unit - 1) / unit * unit;
}

// A mapping aligned to a large page, so that the kernel can back all of it with large pages.
void* mapAligned(std::size_t bytes) {
    const std::size_t length = roundedUp(bytes, largePage);
    void* mapped =
        mmap(nullptr, length + largePage, PROT_READ | PROT_WRITE, MAP_PRIVATE | MAP_ANONYMOUS, -1, 0);
    if (mapped == MAP_FAILED)
        throw std::bad_alloc();
    auto* start = static_cast<char*>(mapped);
    auto* aligned = reinterpret_cast<char*>(roundedUp(reinterpret_cast<std::uintptr_t>(start), largePage));
    if (aligned != start)
        munmap(start, std::size_t(aligned - start));
    if (const std::size_t tail = std::size_t(start + length + largePage - (aligned + length)))
        munmap(aligned + length, tail);
    madvise(aligned, length, MADV_HUGEPAGE);
    return aligned;
}

} // namespace

void* CGPixelMemory::allocate(std::size_t bytes) {
    if (bytes >= mappedFrom)
        return mapAligned(bytes);
    void* memory = std::calloc(1, bytes == 0 ? 1 : bytes);
    if (!memory)
        throw std::bad_alloc();
    return memory;
}

void CGPixelMemory::deallocate(void* memory, std::size_t bytes) {
    if (bytes >= mappedFrom)
        munmap(memory, roundedUp(bytes, largePage));
    else
        std::free(memory);
}
