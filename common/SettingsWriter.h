#pragma once

#include "CoreFoundation/CFPropertyList.h"

#include <optional>
#include <span>
#include <string>
#include <string_view>

// The settings pane's side of the settings file. Every change is a read-modify-write of the whole file,
// written atomically and followed by the change notification; the section never hears from the pane
// otherwise. Writers on one device take turns through a lock beside the file, so that no change is lost;
// readers never wait for it.

// What became of a change to the settings file.
struct SettingsChange {
    enum class Status {
        written,     // written and announced
        unannounced, // written, but the change notification could not be posted
        unchanged,   // there was nothing to do (no file to delete)
        refused,     // the result would be a file that the reader, or another program, could not read
        failed,      // the file could not be written or deleted
    };
    Status status = Status::failed;
    std::string reason; // for unannounced, refused and failed
    // A file that was there but could not be read is kept, under this device path, before a fresh one is
    // written in its place.
    std::string keptAsideAs;

    // Whether the file changed, so that the pane reloads.
    explicit operator bool() const { return status == Status::written || status == Status::unannounced; }
};

// The lock that writers of the settings file take; it lives beside the file.
inline constexpr std::string_view settingsLockPath =
    "/var/mobile/Library/Preferences/.com.velquin.orvane.plist.lock";

// The stored value of `key`, or `fallback` when the file lacks it (or cannot be read).
std::optional<CFPropertyList> readSettingsValue(std::string_view key,
                                                const std::optional<CFPropertyList>& fallback);

// Stores `value` under `key`, keeping every other entry of the file. Notifies only when the file was written.
SettingsChange writeSettingsValue(std::string_view key, CFPropertyList value);

// Replaces every entry of the file with those of `settings`, in one write and one notification.
SettingsChange replaceSettings(const NSDictionary& settings);

// Removes the keys so that the section falls back to their defaults. Notifies only when the file was written.
SettingsChange removeSettingsKeys(std::span<const std::string_view> keys);

// The groups of keys the pane resets together.
namespace SettingsKeys {
extern const std::span<const std::string_view> buttons;
extern const std::span<const std::string_view> height;
extern const std::span<const std::string_view> defaultActions;
extern const std::span<const std::string_view> buttonAlpha;
extern const std::span<const std::string_view> backgroundColor;
extern const std::span<const std::string_view> separatorColor;
} // namespace SettingsKeys

SettingsChange resetButtons();
SettingsChange resetHeight();
SettingsChange resetDefaults();
SettingsChange resetButtonAlpha();
SettingsChange resetBackgroundColor();
SettingsChange resetSeparatorColor();

// Deletes the whole file. Only when it was deleted does it notify; `unchanged` when there was none.
SettingsChange resetAll();
