#include "SettingsWriter.h"

#include "CoreFoundation/CFNotificationCenter.h"
#include "Foundation/NSDictionary.h"
#include "Foundation/NSFileManager.h"
#include "SectionSettings.h"

#include <algorithm>

namespace {

void postSettingsChanged() {
    CFNotificationCenterPostNotification(CFNotificationCenterGetDarwinNotifyCenter(),
                                         settingsChangedNotification, nullptr, nullptr, true);
}

NSMutableDictionary currentFile() {
    NSMutableDictionary file;
    if (const auto stored = NSDictionary::dictionaryWithContentsOfFile(settingsPath))
        file.addEntriesFromDictionary(*stored);
    return file;
}

bool writeAndNotify(const NSDictionary& file) {
    if (!file.writeToFile(settingsPath, true))
        return false;
    postSettingsChanged();
    return true;
}

std::array<std::string_view, 23> defaultActionKeys() {
    std::array<std::string_view, 23> keys;
    std::ranges::transform(actionFunctions(), keys.begin(), &FunctionInfo::defaultActionKey);
    return keys;
}

constexpr std::string_view heightKeys[] = {"VIEW_HEIGHT"};
const std::array<std::string_view, 23> actionKeys = defaultActionKeys();
constexpr std::string_view buttonAlphaKeys[] = {"BUTTON_ALPHA"};
constexpr std::string_view backgroundColorKeys[] = {"BACKGROUND_RED", "BACKGROUND_GREEN", "BACKGROUND_BLUE",
                                                    "BACKGROUND_ALPHA"};
constexpr std::string_view separatorColorKeys[] = {"SEPARATOR_RED", "SEPARATOR_GREEN", "SEPARATOR_BLUE",
                                                   "SEPARATOR_ALPHA"};

} // namespace

namespace SettingsKeys {
const std::span<const std::string_view> buttons = functionSlotKeys;
const std::span<const std::string_view> height = heightKeys;
const std::span<const std::string_view> defaultActions = actionKeys;
const std::span<const std::string_view> buttonAlpha = buttonAlphaKeys;
const std::span<const std::string_view> backgroundColor = backgroundColorKeys;
const std::span<const std::string_view> separatorColor = separatorColorKeys;
} // namespace SettingsKeys

std::optional<CFPropertyList> readSettingsValue(std::string_view key,
                                                const std::optional<CFPropertyList>& fallback) {
    const auto file = NSDictionary::dictionaryWithContentsOfFile(settingsPath);
    if (const CFPropertyList* stored = file ? file->objectForKey(key) : nullptr)
        return *stored;
    return fallback;
}

bool writeSettingsValue(std::string_view key, CFPropertyList value) {
    auto file = currentFile();
    file.setObject(std::move(value), key);
    return writeAndNotify(file);
}

bool removeSettingsKeys(std::span<const std::string_view> keys) {
    auto file = currentFile();
    for (const auto key : keys)
        file.removeObjectForKey(key);
    return writeAndNotify(file);
}

bool resetButtons() {
    return removeSettingsKeys(SettingsKeys::buttons);
}
bool resetHeight() {
    return removeSettingsKeys(SettingsKeys::height);
}
bool resetDefaults() {
    return removeSettingsKeys(SettingsKeys::defaultActions);
}
bool resetButtonAlpha() {
    return removeSettingsKeys(SettingsKeys::buttonAlpha);
}
bool resetBackgroundColor() {
    return removeSettingsKeys(SettingsKeys::backgroundColor);
}
bool resetSeparatorColor() {
    return removeSettingsKeys(SettingsKeys::separatorColor);
}

bool resetAll() {
    if (!NSFileManager::defaultManager().removeItemAtPath(settingsPath))
        return false;
    postSettingsChanged();
    return true;
}
