#include "Watch.h"

#include "CoreFoundation/CFNotificationCenter.h"
#include "Foundation/NSRunLoop.h"
#include "Foundation/NSTimer.h"
#include "ParseNumber.h"
#include "SettingsReport.h"
#include "common/SectionSettings.h"

SettingsWatcher::~SettingsWatcher() {
    if (_started)
        CFNotificationCenterRemoveEveryObserver(CFNotificationCenterGetDarwinNotifyCenter(), this);
}

void SettingsWatcher::start() {
    // The section's own callback first, so that the print sees what it read.
    registerForSettingsChanges(this);
    CFNotificationCenterAddObserver(CFNotificationCenterGetDarwinNotifyCenter(), this, notified,
                                    settingsChangedNotification, nullptr,
                                    CFNotificationSuspensionBehaviorCoalesce);
    _started = true;
    loadSettings();
    print("settings in force at start:");
}

void SettingsWatcher::notified(CFNotificationCenterRef, void* observer, CFStringRef, const void*,
                               CFDictionaryRef) {
    auto& watcher = *static_cast<SettingsWatcher*>(observer);
    watcher.print("after notification " + std::to_string(++watcher._seen) + ":");
    if (watcher.onNotification)
        watcher.onNotification();
}

void SettingsWatcher::print(const std::string& heading) {
    auto& state = sectionSettingsState();
    _out << heading << "\n";
    printSettingsState(_out, state);
    _out << std::flush;
    state.layoutDirty = false;
    state.iconsCurrent = true;
}

int runWatch(std::span<const std::string> arguments, std::ostream& out, std::ostream& errors) {
    std::optional<long> notifications;
    std::optional<double> seconds;
    bool wellFormed = arguments.size() % 2 == 0;
    for (std::size_t index = 0; wellFormed && index < arguments.size(); index += 2) {
        if (arguments[index] == "--notifications")
            wellFormed = (notifications = parsePositive<long>(arguments[index + 1])).has_value();
        else if (arguments[index] == "--seconds")
            wellFormed = (seconds = parsePositive<double>(arguments[index + 1])).has_value();
        else
            wellFormed = false;
    }
    if (!wellFormed) {
        errors << "usage: watch [--notifications N] [--seconds S]\n";
        return 2;
    }

    SettingsWatcher watcher(out);
    watcher.onNotification = [&] {
        if (notifications && watcher.notificationsSeen() >= *notifications)
            NSRunLoop::mainRunLoop().stop();
    };
    watcher.start();
    std::shared_ptr<NSTimer> deadline;
    if (seconds)
        deadline = NSTimer::scheduledTimerWithTimeInterval(*seconds, false,
                                                           [](NSTimer&) { NSRunLoop::mainRunLoop().stop(); });
    NSRunLoop::mainRunLoop().run();
    if (deadline)
        deadline->invalidate();
    return 0;
}
