#pragma once

// libOrvanePlatform.so is built with hidden visibility: only what carries ORVANE_EXPORT (classes, with their
// type information and vtables, and free functions) is seen by the plug-ins and the hosts.
#define ORVANE_EXPORT __attribute__((visibility("default")))
