#pragma once

#include <algorithm>
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

} // namespace CGBands
