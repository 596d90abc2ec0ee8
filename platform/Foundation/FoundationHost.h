#pragma once

#include "CoreFoundation/CFPropertyList.h"
#include "Foundation/NSBundle.h"
#include "Foundation/RunLoopSourceHost.h"
#include "objc/Badge.h"

#include <functional>
#include <optional>

// The hosts' side of Foundation: what a bundle was asked to translate, the device's languages read again,
// the device's clock, and what wakes the main run loop from outside. What only this class may do takes its
// badge.
class FoundationHost {
  public:
    FoundationHost() = delete;

    // The keys each strings table of the bundle was asked for, table by table.
    static const NSBundle::LookedUpKeys& lookedUpKeys(const NSBundle& bundle);
    // The processes restart, so the next look-up reads the languages again.
    static void reloadPreferredLanguages();
    // A fixed moment for the device's clock, or the system clock again with nothing.
    static void setClock(std::optional<NSDate> now);
    // The main run loop runs `callback` each time the descriptor can be read, or the signal has come.
    static RunLoopSource readable(int descriptor, std::function<void()> callback);
    static RunLoopSource signal(int number, std::function<void()> callback);
    // The event loop under the main run loop, for a host library that turns its own handles on it.
    static void* nativeLoop();

  private:
    static Badge<FoundationHost> badge() { return {}; }
};
