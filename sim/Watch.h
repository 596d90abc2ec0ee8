#pragma once

#include "CoreFoundation/CFNotificationCenter.h"

#include <functional>
#include <optional>
#include <ostream>
#include <span>
#include <string>
#include <vector>

// Plays the section's reader: reads the settings as the section does, and again on every change notification,
// printing what is in force each time (or, after the first, only the lines that changed). After each print
// the flags are consumed, as the section's next appearance would, so every print shows what that one change
// raised.
class SettingsWatcher {
  public:
    enum class Shows { everything, changes };
    explicit SettingsWatcher(std::ostream& out, Shows shows = Shows::everything) : _out(out), _shows(shows) {}
    ~SettingsWatcher();
    SettingsWatcher(const SettingsWatcher&) = delete;
    SettingsWatcher& operator=(const SettingsWatcher&) = delete;

    void start();
    long notificationsSeen() const { return _seen; }
    std::function<void()> onNotification;

  private:
    static void notified(CFNotificationCenterRef, void* observer, CFStringRef, const void*, CFDictionaryRef);
    void print(const std::string& heading);

    std::ostream& _out;
    Shows _shows;
    // What the last print left in force, one line an entry.
    std::vector<std::string> _shown;
    long _seen = 0;
    bool _started = false;
};

// `watch [--notifications N] [--seconds S]`: a SettingsWatcher until N notifications came or S seconds passed
// (with neither, until the process is stopped).
int runWatch(std::span<const std::string> arguments, std::ostream& out, std::ostream& errors);
