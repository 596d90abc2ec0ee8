#pragma once

#include <algorithm>
#include <atomic>
#include <cstddef>
#include <system_error>
#include <thread>

// Splits rows [0, count) into one band per core and runs `work(begin, end)` on each, the first band on the
// calling thread; every worker is joined before this returns, so nothing outlives the call. Work too small
// to pay for a thread, or a thread that cannot be started, runs on the calling thread.
namespace CGBands {

// Below this many pixels a second thread costs more than it saves.
inline constexpr std::size_t parallelFromPixels = 1u << 20;

template <typename Work> void run(std::size_t count, std::size_t pixelsPerRow, const Work& work) {
    std::size_t bands = 1;
    if (count * pixelsPerRow >= parallelFromPixels) {
        // Asking for the cores reads a system file: once per process, and only for work that could use them.
        static const std::size_t cores = std::clamp<std::size_t>(std::thread::hardware_concurrency(), 1, 4);
        bands = std::min(cores, count);
    }
    std::thread workers[3];
    std::size_t started = 0;
    std::size_t firstUnstarted = bands;
    for (std::size_t band = 1; band < bands; ++band) {
        try {
            workers[started] = std::thread(work, count * band / bands, count * (band + 1) / bands);
            ++started;
        } catch (const std::system_error&) {
            firstUnstarted = band;
            break;
        }
    }
    // Bands whose thread could not start run here, after the first.
    work(std::size_t(0), count / bands);
    for (std::size_t band = firstUnstarted; band < bands; ++band)
        work(count * band / bands, count * (band + 1) / bands);
    for (std::size_t index = 0; index < started; ++index)
        workers[index].join();
}

// Runs `work(begin, end)` over rows [0, count) in pieces of `piece` rows that the calling thread and one
// worker per further core take in turn until none is left, so that a worker the scheduler starts late costs
// only the pieces it did not take. Joined before this returns, as `run` is.
template <typename Work>
void share(std::size_t count, std::size_t piece, std::size_t pixelsPerRow, const Work& work) {
    if (count == 0 || piece == 0)
        return;
    std::atomic<std::size_t> next{0};
    const auto takeUntilDone = [&](std::size_t, std::size_t) {
        for (std::size_t begin; (begin = next.fetch_add(piece)) < count;)
            work(begin, std::min(begin + piece, count));
    };
    // One "row" of `run` per possible taker, each as large as its share of the pixels.
    const std::size_t takers = std::min<std::size_t>((count + piece - 1) / piece, 4);
    run(takers, count * pixelsPerRow / takers, takeUntilDone);
}

} // namespace CGBands
