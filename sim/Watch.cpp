#include "Watch.h"

#include "CoreFoundation/CFNotificationCenter.h"
#include "Foundation/NSRunLoop.h"
#include "Foundation/NSTimer.h"
#include "ParseNumber.h"
#include "SettingsReport.h"
#include "common/SectionSettings.h"

#include <sstream>

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

namespace {

std::vector<std::string> settingsLines(const SettingsState& state) {
    std::stringstream text;
    printSettingsState(text, state);
    std::vector<std::string> lines;
    for (std::string line; std::getline(text, line);)
        lines.push_back(line);
    return lines;
}

} // namespace

void SettingsWatcher::print(const std::string& heading) {
    auto& state = sectionSettingsState();
    _out << heading << "\n";
    const auto lines = settingsLines(state);
    bool changed = false;
    for (std::size_t at = 0; at < lines.size(); ++at) {
        if (_shows == Shows::changes && at < _shown.size() && lines[at] == _shown[at])
            continue;
        _out << lines[at] << "\n";
        changed = true;
    }
    if (!changed)
        _out << "  nothing the section reads changed\n";
    _out << std::flush;
    state.layoutDirty = false;
    state.iconsCurrent = true;
    _shown = settingsLines(state);
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
