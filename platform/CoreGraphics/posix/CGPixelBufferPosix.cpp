#include "CoreGraphics/CGPixelBuffer.h"

#include <sys/mman.h>

#include <cstdlib>
#include <cstring>
#include <mutex>
#include <new>
#include <utility>

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

// The last mapping freed, kept for the next bitmap of its size: photos come one after another at the size
// the camera takes them, and a page written again costs neither a fault nor the kernel clearing it (pages
// offered back lazily are cleared again all the same). Only one is kept, and it goes as soon as a bitmap
// of another size is mapped.
class Spare {
  public:
    // The spare mapping when it has `length` bytes, else nothing (and no spare any more).
    void* take(std::size_t length) {
        const std::lock_guard hold(lock);
        void* taken = std::exchange(memory, nullptr);
        const std::size_t takenLength = std::exchange(spareLength, 0);
        if (taken && takenLength != length) {
            munmap(taken, takenLength);
            return nullptr;
        }
        return taken;
    }

    void keep(void* freed, std::size_t length) {
        const std::lock_guard hold(lock);
        if (memory)
            munmap(memory, spareLength);
        memory = freed;
        spareLength = length;
    }

  private:
    std::mutex lock;
    void* memory = nullptr;
    std::size_t spareLength = 0;
};

Spare& spare() {
    static Spare kept;
    return kept;
}

// Pages handed back to the kernel read as zero again, cleared only when next touched.
void dropPages(void* memory, std::size_t length) {
    madvise(memory, length, MADV_DONTNEED);
}

} // namespace

void* CGPixelMemory::allocate(std::size_t bytes) {
    if (bytes >= mappedFrom) {
        const std::size_t length = roundedUp(bytes, largePage);
        void* kept = spare().take(length);
        if (!kept)
            return mapAligned(bytes);
        dropPages(kept, length);
        return kept;
    }
    void* memory = std::calloc(1, bytes == 0 ? 1 : bytes);
    if (!memory)
        throw std::bad_alloc();
    return memory;
}

void* CGPixelMemory::allocateForOverwrite(std::size_t bytes) {
    if (bytes >= mappedFrom) {
        void* kept = spare().take(roundedUp(bytes, largePage));
        return kept ? kept : mapAligned(bytes);
    }
    void* memory = std::malloc(bytes == 0 ? 1 : bytes);
    if (!memory)
        throw std::bad_alloc();
    return memory;
}

void CGPixelMemory::clear(void* memory, std::size_t bytes) {
    if (bytes >= mappedFrom)
        dropPages(memory, roundedUp(bytes, largePage));
    else
        std::memset(memory, 0, bytes);
}

void CGPixelMemory::deallocate(void* memory, std::size_t bytes) {
    if (bytes >= mappedFrom)
        spare().keep(memory, roundedUp(bytes, largePage));
    else
        std::free(memory);
}
