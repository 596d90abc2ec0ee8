#include "SettingsWriter.h"

#include "CoreFoundation/notify.h"
#include "Foundation/NSDictionary.h"
#include "Foundation/NSDistributedLock.h"
#include "Foundation/NSFileManager.h"
#include "SectionSettings.h"

#include <algorithm>
#include <ctime>

namespace {

SettingsChange outcome(SettingsChange::Status status, std::string reason = {}) {
    return {status, std::move(reason), {}};
}

void announce(SettingsChange& change) {
    if (notify_post(std::string(settingsChangedNotification).c_str()) == NOTIFY_STATUS_OK) {
        change.status = SettingsChange::Status::written;
        return;
    }
    change.status = SettingsChange::Status::unannounced;
    change.reason = "the change notification could not be posted";
}

std::string timestamp() {
    const std::time_t now = std::time(nullptr);
    std::tm parts{};
    ::gmtime_r(&now, &parts);
    char text[32];
    std::strftime(text, sizeof text, "%Y%m%d-%H%M%S", &parts);
    return text;
}

// Renames the file that could not be read to "<name>.unreadable-<UTC time>", with a counter when that name is
// taken already. Answers the new device path, or nothing when the file could not be moved.
std::optional<std::string> keepAside(std::string& failure) {
    const std::string base = std::string(settingsPath) + ".unreadable-" + timestamp();
    std::error_code error;
    for (int attempt = 1; attempt <= 100; ++attempt) {
        const std::string aside = attempt == 1 ? base : base + "-" + std::to_string(attempt);
        if (NSFileManager::defaultManager().moveItemAtPath(settingsPath, aside, error))
            return aside;
        if (error != std::errc::file_exists)
            break;
    }
    failure = error.message();
    return std::nullopt;
}

// The read-modify-write every change goes through, with the lock held throughout.
template <typename Edit> SettingsChange rewrite(Edit edit) {
    const auto lock = NSDistributedLock::lockWithPath(settingsLockPath);
    if (!lock || !lock->lock())
        return outcome(SettingsChange::Status::failed, "the settings file's lock could not be taken");
    auto& files = NSFileManager::defaultManager();
    files.removeAbandonedTemporaryFilesForPath(settingsPath);

    NSPropertyListReadError readError;
    const auto stored = NSDictionary::dictionaryWithContentsOfFile(settingsPath, readError);
    if (readError.kind == NSPropertyListReadError::Kind::notRegularFile)
        return outcome(SettingsChange::Status::failed, "something other than a file is at the settings path");
    NSMutableDictionary file;
    if (stored)
        file.addEntriesFromDictionary(*stored);
    edit(file);

    // A refused write must not move the unreadable file aside for nothing.
    SettingsChange change;
    if (readError.kind == NSPropertyListReadError::Kind::unreadable && !file.writingProblem()) {
        std::string failure;
        const auto aside = keepAside(failure);
        if (!aside)
            return outcome(SettingsChange::Status::failed,
                           "the unreadable settings file could not be kept aside: " + failure);
        change.keptAsideAs = *aside;
        change.reason = readError.reason;
    }
    if (!file.writeToFile(settingsPath, true)) {
        if (auto problem = file.writingProblem())
            return outcome(SettingsChange::Status::refused, std::move(*problem));
        change.status = SettingsChange::Status::failed;
        change.reason = "the settings file could not be written";
        return change;
    }
    announce(change);
    return change;
}

constexpr std::array<std::string_view, actionFunctionCount> defaultActionKeys() {
    std::array<std::string_view, actionFunctionCount> keys;
    std::ranges::transform(actionFunctions(), keys.begin(), &FunctionInfo::defaultActionKey);
    return keys;
}

constexpr std::string_view heightKeys[] = {"VIEW_HEIGHT"};
constexpr auto actionKeys = defaultActionKeys();
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

SettingsChange writeSettingsValue(std::string_view key, CFPropertyList value) {
    return rewrite([&](NSMutableDictionary& file) { file.setObject(std::move(value), key); });
}

SettingsChange replaceSettings(const NSDictionary& settings) {
    return rewrite([&](NSMutableDictionary& file) { file = NSMutableDictionary(settings); });
}

SettingsChange removeSettingsKeys(std::span<const std::string_view> keys) {
    return rewrite([&](NSMutableDictionary& file) {
        for (const auto key : keys)
            file.removeObjectForKey(key);
    });
}

SettingsChange resetButtons() {
    return removeSettingsKeys(SettingsKeys::buttons);
}
SettingsChange resetHeight() {
    return removeSettingsKeys(SettingsKeys::height);
}
SettingsChange resetDefaults() {
    return removeSettingsKeys(SettingsKeys::defaultActions);
}
SettingsChange resetButtonAlpha() {
    return removeSettingsKeys(SettingsKeys::buttonAlpha);
}
SettingsChange resetBackgroundColor() {
    return removeSettingsKeys(SettingsKeys::backgroundColor);
}
SettingsChange resetSeparatorColor() {
    return removeSettingsKeys(SettingsKeys::separatorColor);
}

SettingsChange resetAll() {
    const auto lock = NSDistributedLock::lockWithPath(settingsLockPath);
    if (!lock || !lock->lock())
        return outcome(SettingsChange::Status::failed, "the settings file's lock could not be taken");
    auto& files = NSFileManager::defaultManager();
    bool isDirectory = false;
    if (files.fileExistsAtPath(settingsPath, isDirectory) && isDirectory)
        return outcome(SettingsChange::Status::failed, "a folder is at the settings path");
    std::error_code error;
    if (!files.removeItemAtPath(settingsPath, error)) {
        if (error == std::errc::no_such_file_or_directory)
            return outcome(SettingsChange::Status::unchanged);
        return outcome(SettingsChange::Status::failed, error.message());
    }
    SettingsChange change;
    announce(change);
    return change;
}
