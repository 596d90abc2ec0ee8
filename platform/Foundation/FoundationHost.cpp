#include "Foundation/FoundationHost.h"

#include "Foundation/DeviceClock.h"
#include "Foundation/NSLocale.h"

const NSBundle::LookedUpKeys& FoundationHost::lookedUpKeys(const NSBundle& bundle) {
    return bundle.lookedUpKeys(badge());
}

void FoundationHost::reloadPreferredLanguages() {
    NSLocale::reloadPreferredLanguages(badge());
}

void FoundationHost::setClock(std::optional<NSDate> now) {
    DeviceClock::set(badge(), now);
}

RunLoopSource FoundationHost::readable(int descriptor, std::function<void()> callback) {
    return RunLoopSource::readable(badge(), descriptor, std::move(callback));
}

RunLoopSource FoundationHost::signal(int number, std::function<void()> callback) {
    return RunLoopSource::signal(badge(), number, std::move(callback));
}

void* FoundationHost::nativeLoop() {
    return RunLoopSource::nativeLoop(badge());
}
