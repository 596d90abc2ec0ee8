#include "CoreFoundation/MainThread.h"

#include <cstdio>
#include <cstdlib>
#include <pthread.h>

namespace {

// Initialised while the library loads, which happens on the process's first thread.
const pthread_t mainThread = pthread_self();

} // namespace

bool isMainThread() {
    return pthread_equal(pthread_self(), mainThread) != 0;
}

void requireMainThread(const char* operation) {
    if (isMainThread())
        return;
    std::fprintf(stderr, "orvane: %s off the main thread; it must run on the main run loop's thread\n",
                 operation);
    std::abort();
}
