#pragma once

#include "CoreFoundation/CFPropertyList.h"

#include <optional>
#include <span>
#include <string_view>

// The settings pane's side of the settings file. Every change is a read-modify-write of the whole file,
// written atomically and followed by the change notification; the section never hears from the pane
// otherwise.

// The stored value of `key`, or `fallback` when the file lacks it (or cannot be read).
std::optional<CFPropertyList> readSettingsValue(std::string_view key,
                                                const std::optional<CFPropertyList>& fallback);

// Stores `value` under `key`, keeping every other entry of the file. Notifies only when the file was written.
bool writeSettingsValue(std::string_view key, CFPropertyList value);

// Removes the keys so that the section falls back to their defaults. Notifies only when the file was written.
bool removeSettingsKeys(std::span<const std::string_view> keys);

// The groups of keys the pane resets together.
namespace SettingsKeys {
extern const std::span<const std::string_view> buttons;
extern const std::span<const std::string_view> height;
extern const std::span<const std::string_view> defaultActions;
extern const std::span<const std::string_view> buttonAlpha;
extern const std::span<const std::string_view> backgroundColor;
extern const std::span<const std::string_view> separatorColor;
} // namespace SettingsKeys

bool resetButtons();
bool resetHeight();
bool resetDefaults();
bool resetButtonAlpha();
bool resetBackgroundColor();
bool resetSeparatorColor();

// Deletes the whole file. Only when it was deleted does it notify; it answers whether it did, so that the
// pane reloads only then.
bool resetAll();
