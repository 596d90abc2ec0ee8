#pragma once

#include "objc/objc-api.h"

// The main thread is the thread that started the process: the platform records it when it is loaded, and the
// main run loop runs only there. Observers, posts, presentation and drawing belong to it.
ORVANE_EXPORT bool isMainThread();

// Aborts with a message naming `operation` when called from any other thread. The check stays in every build:
// a call from the wrong thread would otherwise corrupt state that nothing guards, and its cost is one
// comparison.
ORVANE_EXPORT void requireMainThread(const char* operation);
