#pragma once

#include "CoreFoundation/CFNotificationCenter.h"
#include "CoreFoundation/CFPropertyList.h"
#include "FunctionCatalogue.h"

#include <array>
#include <cstdint>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

inline constexpr std::string_view settingsPath = "/var/mobile/Library/Preferences/com.velquin.orvane.plist";
inline constexpr std::string_view settingsChangedNotification = "com.velquin.orvane.changed";
// The keys of slots 1 to 6.
inline constexpr std::array<std::string_view, 6> functionSlotKeys = {
    "FUNCTION_1", "FUNCTION_2", "FUNCTION_3", "FUNCTION_4", "FUNCTION_5", "FUNCTION_6"};

// Reals are stored as read: 32-bit floats widened to double, so the default 0.7 is 0.699999988079071 and a
// file value of 0.7 compares equal to it.
constexpr double widened(float value) {
    return static_cast<double>(value);
}

// The settings in force. Its initial values are the defaults, so the section behaves as with a missing file
// even before the first read. Function ids always point into the catalogue; actions are parsed once, as read.
struct SectionSettings {
    std::int32_t iconSize = 40;
    std::int32_t iconStyle = 0;
    bool roundedIcon = false;
    double viewHeight = widened(46.0f);
    bool appStoreEnabled = true;
    bool ccDismiss = false;
    bool showSeparators = true;
    double buttonAlpha = widened(0.7f);
    double backgroundRed = 0;
    double backgroundGreen = 0;
    double backgroundBlue = 0;
    double backgroundAlpha = 0;
    double separatorRed = 0;
    double separatorGreen = 0;
    double separatorBlue = 0;
    double separatorAlpha = widened(0.7f);
    bool landscapeEnabled = false;
    std::array<std::string_view, 6> functions = {"SYS-Facebook", "SYS-Twitter", "SYS-Mail",
                                                 "SYS-Message",  "APP-Notes",   "SYS-Photo"};
    // One action per function of actionFunctions(), in the same order.
    std::array<Action, actionFunctionCount> defaultActions = defaultActionsOfCatalogue();

    // The action a tap on `functionId` runs; nothing for "DISABLED" and ids outside the catalogue.
    std::optional<Action> defaultActionFor(std::string_view functionId) const;

    bool operator==(const SectionSettings&) const = default;

  private:
    static constexpr std::array<Action, actionFunctionCount> defaultActionsOfCatalogue() {
        std::array<Action, actionFunctionCount> actions{};
        std::ranges::transform(actionFunctions(), actions.begin(), &FunctionInfo::defaultAction);
        return actions;
    }
};

// The record with what the loader keeps beside it for the section.
struct SettingsState {
    SectionSettings settings;
    // Slots whose function is not "DISABLED".
    std::uint32_t enabledCount = 6;
    // The row must be laid out again at the next appearance.
    bool layoutDirty = true;
    // The button images match the settings.
    bool iconsCurrent = false;
};

// The plug-in's one instance, alive from load to process end.
SettingsState& sectionSettingsState();
// Puts the plug-in's instance back to its state at load, for tests.
void resetSectionSettingsState();

// The value a missing `key` stands for, as the file would hold it (reals as their 32-bit value); nothing for
// a key the store does not know.
std::optional<CFPropertyList> settingsDefault(std::string_view key);
// The keys the section reads, in the order it reads them.
std::vector<std::string_view> settingsKeys();
// What the section takes under `key`, when it would ignore `value` there (another kind, out of range, not in
// the catalogue) and keep the value in force; nothing when it takes `value`, or does not read `key`.
std::optional<std::string> settingsValueIgnored(std::string_view key, const CFPropertyList& value);

// Reads the settings file into the plug-in's instance.
void loadSettings();
// The same read for a given file content (nothing when there is no readable file).
void loadSettings(SettingsState& state, const NSDictionary* file);

// The Darwin callback: reads the settings again, whatever it is told.
void settingsChangedCallback(CFNotificationCenterRef center, void* observer, CFStringRef name,
                             const void* object, CFDictionaryRef userInfo);
// Registers settingsChangedCallback for the change notification, with `observer` as its owner.
void registerForSettingsChanges(const void* observer);
void unregisterFromSettingsChanges(const void* observer);
