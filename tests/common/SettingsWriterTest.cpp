#include "common/SettingsWriter.h"
#include "Foundation/NSDictionary.h"
#include "common/SectionSettings.h"
#include "support/DeviceEvents.h"
#include "support/TemporaryDevice.h"

#include <csignal>
#include <fstream>
#include <gtest/gtest.h>
#include <iterator>
#include <set>
#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>

namespace {

using Value = CFPropertyList;

std::set<std::string> storedKeys() {
    std::set<std::string> keys;
    if (const auto file = NSDictionary::dictionaryWithContentsOfFile(settingsPath)) {
        for (const auto& [key, value] : file->entries())
            keys.insert(key);
    }
    return keys;
}

class SettingsWriter : public ::testing::Test {
  protected:
    TemporaryDevice device;
    NotificationCounter notifications{settingsChangedNotification};
};

TEST_F(SettingsWriter, AWriteKeepsEveryOtherEntryAndNotifies) {
    ASSERT_TRUE(writeSettingsValue("ICON_SIZE", Value::integer(30)));
    ASSERT_TRUE(writeSettingsValue("FUNCTION_1", Value::string("APP-QQ")));
    ASSERT_TRUE(writeSettingsValue("ICON_SIZE", Value::integer(50)));
    EXPECT_EQ(notifications.received, 3);
    const auto file = NSDictionary::dictionaryWithContentsOfFile(settingsPath);
    ASSERT_TRUE(file);
    EXPECT_EQ(file->count(), 2u);
    EXPECT_EQ(*file->objectForKey("ICON_SIZE"), Value::integer(50));
    EXPECT_EQ(*file->objectForKey("FUNCTION_1"), Value::string("APP-QQ"));
}

TEST_F(SettingsWriter, AReadGivesTheStoredValueOrTheFallback) {
    EXPECT_EQ(readSettingsValue("VIEW_HEIGHT", Value::real(46)), Value::real(46));
    EXPECT_EQ(readSettingsValue("VIEW_HEIGHT", std::nullopt), std::nullopt);
    writeSettingsValue("VIEW_HEIGHT", Value::real(80));
    EXPECT_EQ(readSettingsValue("VIEW_HEIGHT", Value::real(46)), Value::real(80));
}

std::string contents(const std::filesystem::path& file) {
    std::ifstream in(file, std::ios::binary);
    return std::string(std::istreambuf_iterator<char>(in), {});
}

// The files in the settings folder other than the settings file and its lock.
std::set<std::string> otherFiles(const TemporaryDevice& device) {
    std::set<std::string> names;
    for (const auto& entry : std::filesystem::directory_iterator(device.hostPath(settingsPath).parent_path()))
        names.insert(entry.path().filename().string());
    names.erase("com.velquin.orvane.plist");
    names.erase(".com.velquin.orvane.plist.lock");
    return names;
}

TEST_F(SettingsWriter, AnUnreadableFileIsKeptAsideBeforeAFreshOneIsWritten) {
    std::string deep = "<dict><key>A</key>";
    for (int level = 0; level < 70; ++level)
        deep += "<array>";
    const std::string unreadable[] = {"not a property list", xmlPlist(deep + std::string(70 * 8, ' '))};
    for (const auto& text : unreadable) {
        std::filesystem::remove_all(device.hostPath(settingsPath).parent_path());
        device.writeText(settingsPath, text);
        const auto change = writeSettingsValue("CC_DISMISS", Value::boolean(true));
        ASSERT_EQ(change.status, SettingsChange::Status::written);
        EXPECT_EQ(storedKeys(), std::set<std::string>{"CC_DISMISS"});
        ASSERT_EQ(otherFiles(device).size(), 1u);
        EXPECT_EQ(change.keptAsideAs, "/var/mobile/Library/Preferences/" + *otherFiles(device).begin());
        EXPECT_TRUE(change.keptAsideAs.starts_with(std::string(settingsPath) + ".unreadable-"));
        EXPECT_EQ(contents(device.hostPath(change.keptAsideAs)), text);
        EXPECT_EQ(loggedEvents("file.moved").back(),
                  "file.moved path=" + std::string(settingsPath) + " to=" + change.keptAsideAs);
        EXPECT_FALSE(change.reason.empty());
    }
    // A second unreadable file in the same second gets a name of its own.
    device.writeText(settingsPath, "still not a property list");
    const auto again = writeSettingsValue("CC_DISMISS", Value::boolean(true));
    EXPECT_TRUE(again);
    EXPECT_EQ(otherFiles(device).size(), 2u);
}

TEST_F(SettingsWriter, AWriteTheReaderWouldRefuseIsRefusedAndChangesNothing) {
    ASSERT_TRUE(writeSettingsValue("ICON_SIZE", Value::integer(30)));
    const std::string before = contents(device.hostPath(settingsPath));
    const std::pair<Value, std::string> refused[] = {
        {Value::string(std::string(17 * 1024 * 1024, 'x')), "the file would be larger than 16 MiB"},
        {Value::string("a\x01"), "a key or string holds U+0001, which XML 1.0 cannot carry"},
        {Value::string("a\xff"), "a key or string is not valid UTF-8"},
        {Value::string("\xed\xa0\x80"), "a key or string is not valid UTF-8"}, // a lone surrogate
        {Value::string("\xef\xbf\xbe"), "a key or string holds U+FFFE, which XML 1.0 cannot carry"},
    };
    for (const auto& [value, reason] : refused) {
        const auto change = writeSettingsValue("NAME", value);
        EXPECT_EQ(change.status, SettingsChange::Status::refused);
        EXPECT_EQ(change.reason, reason);
    }
    EXPECT_EQ(writeSettingsValue("bad\x02key", Value::integer(1)).status, SettingsChange::Status::refused);
    EXPECT_EQ(contents(device.hostPath(settingsPath)), before);
    EXPECT_EQ(notifications.received, 1);
    const auto logged = loggedEvents("plist.refused");
    ASSERT_EQ(logged.size(), std::size(refused) + 1) << "each refusal is in the event log";
    EXPECT_EQ(logged[1], "plist.refused path=" + std::string(settingsPath) +
                             " reason=\"a key or string holds U+0001, which XML 1.0 cannot carry\"");
}

TEST_F(SettingsWriter, ImportingReplacesTheWholeFileInOneWrite) {
    ASSERT_TRUE(writeSettingsValue("ICON_SIZE", Value::integer(30)));
    NSMutableDictionary imported;
    imported.setObject(Value::boolean(false), "SHOW_SEPARATORS");
    imported.setObject(Value::string("APP-Notes"), "FUNCTION_2");
    ASSERT_TRUE(replaceSettings(imported));
    EXPECT_EQ(NSDictionary::dictionaryWithContentsOfFile(settingsPath), imported) << "ICON_SIZE is gone";
    EXPECT_EQ(notifications.received, 2);
    EXPECT_EQ(loggedEvents("plist.written").size(), 2u);
}

TEST_F(SettingsWriter, FailuresAreReportedAndPostNothing) {
    std::filesystem::create_directories(device.hostPath(settingsPath)); // a folder where the file belongs
    EXPECT_EQ(writeSettingsValue("ICON_SIZE", Value::integer(30)).status, SettingsChange::Status::failed);
    EXPECT_FALSE(resetHeight());
    const auto reset = resetAll();
    EXPECT_EQ(reset.status, SettingsChange::Status::failed);
    EXPECT_EQ(reset.reason, "a folder is at the settings path");
    EXPECT_EQ(notifications.received, 0);
    EXPECT_TRUE(std::filesystem::is_directory(device.hostPath(settingsPath)));
}

TEST_F(SettingsWriter, AWriteThatCannotBeAnnouncedSaysSo) {
    std::filesystem::remove_all(device.hostPath("/var/run/notifyd"));
    device.writeText("/var/run/notifyd", "a file where the run folder belongs");
    const auto change = writeSettingsValue("ICON_SIZE", Value::integer(30));
    EXPECT_EQ(change.status, SettingsChange::Status::unannounced);
    EXPECT_TRUE(change);
    EXPECT_EQ(storedKeys(), std::set<std::string>{"ICON_SIZE"});
    EXPECT_EQ(notifications.received, 1) << "observers in this process still hear it";
}

TEST_F(SettingsWriter, TheNextWriterRemovesTemporaryFilesThatDeadWritersLeft) {
    const std::string left[] = {".com.velquin.orvane.plist.a1B2c3", ".com.velquin.orvane.plist.ZZZZZZ"};
    const std::string kept[] = {".other.plist.a1B2c3", ".com.velquin.orvane.plist.short",
                                "com.velquin.orvane.plist.unreadable-20260101-000000"};
    for (const auto& name : left)
        device.writeText("/var/mobile/Library/Preferences/" + name, "partial");
    for (const auto& name : kept)
        device.writeText("/var/mobile/Library/Preferences/" + name, "someone else's");
    ASSERT_TRUE(writeSettingsValue("ICON_SIZE", Value::integer(30)));
    EXPECT_EQ(otherFiles(device), std::set<std::string>(std::begin(kept), std::end(kept)));
}

// Writers in several processes at once: each takes its turn, so that every key lands.
TEST_F(SettingsWriter, ConcurrentWritersInSeveralProcessesLoseNoUpdate) {
    constexpr int writers = 4;
    constexpr int keysEach = 50;
    std::vector<pid_t> children;
    for (int writer = 0; writer < writers; ++writer) {
        const pid_t child = ::fork();
        ASSERT_GE(child, 0);
        if (child == 0) {
            bool ok = true;
            for (int key = 0; key < keysEach; ++key)
                ok = static_cast<bool>(writeSettingsValue(
                         "K_" + std::to_string(writer) + "_" + std::to_string(key), Value::integer(1))) &&
                     ok;
            ::_exit(ok ? 0 : 1);
        }
        children.push_back(child);
    }
    for (const pid_t child : children) {
        int status = 0;
        ::waitpid(child, &status, 0);
        EXPECT_TRUE(WIFEXITED(status) && WEXITSTATUS(status) == 0);
    }
    EXPECT_EQ(storedKeys().size(), static_cast<std::size_t>(writers * keysEach));
}

// Writers killed at any moment leave the old file or the new one, and their leftovers go with the next write.
TEST_F(SettingsWriter, WritersKilledMidWriteLeaveAWholeFileAndNoLitterAfterTheNextWrite) {
    ASSERT_TRUE(writeSettingsValue("ROUND", Value::integer(0)));
    for (int round = 1; round <= 40; ++round) {
        const pid_t child = ::fork();
        ASSERT_GE(child, 0);
        if (child == 0) {
            for (int count = 0;; ++count)
                writeSettingsValue("ROUND", Value::integer(count));
        }
        ::usleep(static_cast<useconds_t>(200 + 97 * round % 3000));
        ::kill(child, SIGKILL);
        ::waitpid(child, nullptr, 0);
        ASSERT_TRUE(NSDictionary::dictionaryWithContentsOfFile(settingsPath)) << "round " << round;
    }
    ASSERT_TRUE(writeSettingsValue("ROUND", Value::integer(-1)));
    EXPECT_EQ(otherFiles(device), std::set<std::string>());
}

TEST_F(SettingsWriter, EachResetRemovesExactlyItsKeys) {
    struct Reset {
        SettingsChange (*run)();
        std::set<std::string> removed;
    };
    std::set<std::string> actionKeys;
    for (const auto& info : actionFunctions())
        actionKeys.insert(std::string(info.defaultActionKey));
    const Reset resets[] = {
        {resetButtons, {"FUNCTION_1", "FUNCTION_2", "FUNCTION_3", "FUNCTION_4", "FUNCTION_5", "FUNCTION_6"}},
        {resetHeight, {"VIEW_HEIGHT"}},
        {resetDefaults, actionKeys},
        {resetButtonAlpha, {"BUTTON_ALPHA"}},
        {resetBackgroundColor, {"BACKGROUND_RED", "BACKGROUND_GREEN", "BACKGROUND_BLUE", "BACKGROUND_ALPHA"}},
        {resetSeparatorColor, {"SEPARATOR_RED", "SEPARATOR_GREEN", "SEPARATOR_BLUE", "SEPARATOR_ALPHA"}},
    };
    std::set<std::string> everyKey = {"ICON_SIZE",         "ICON_STYLE", "ROUNDED_ICON",
                                      "APP_STORE_ENABLED", "CC_DISMISS", "SHOW_SEPARATORS",
                                      "LANDSCAPE_ENABLED"};
    for (const auto& reset : resets)
        everyKey.insert(reset.removed.begin(), reset.removed.end());
    ASSERT_EQ(everyKey.size(), 17u + 6u + actionFunctionCount);

    for (const auto& reset : resets) {
        NSMutableDictionary full;
        for (const auto& key : everyKey)
            full.setObject(Value::string("x"), key);
        ASSERT_TRUE(full.writeToFile(settingsPath, true));
        const int before = notifications.received;
        EXPECT_TRUE(reset.run());
        EXPECT_EQ(notifications.received, before + 1);
        std::set<std::string> expected = everyKey;
        for (const auto& key : reset.removed)
            expected.erase(key);
        EXPECT_EQ(storedKeys(), expected);
    }
}

TEST_F(SettingsWriter, ResetAllNotifiesOnlyWhenItDeletedTheFile) {
    EXPECT_EQ(resetAll().status, SettingsChange::Status::unchanged);
    EXPECT_EQ(notifications.received, 0);
    writeSettingsValue("ICON_SIZE", Value::integer(30));
    EXPECT_TRUE(resetAll());
    EXPECT_EQ(notifications.received, 2);
    EXPECT_FALSE(std::filesystem::exists(device.hostPath(settingsPath)));
}

TEST_F(SettingsWriter, TheSectionSeesEveryChangeThroughTheNotification) {
    resetSectionSettingsState();
    const int section = 0;
    registerForSettingsChanges(&section);
    auto& state = sectionSettingsState();

    writeSettingsValue("DEFAULT_ACTION_SYS-Twitter", Value::string("Camera"));
    writeSettingsValue("FUNCTION_6", Value::string("DISABLED"));
    EXPECT_EQ(state.settings.defaultActionFor("SYS-Twitter"), Action::Camera);
    EXPECT_EQ(state.enabledCount, 5u);

    resetDefaults();
    EXPECT_EQ(state.settings.defaultActionFor("SYS-Twitter"), Action::Tweet);
    resetButtons();
    EXPECT_EQ(state.enabledCount, 6u);

    state.layoutDirty = false;
    state.iconsCurrent = true;
    resetAll();
    EXPECT_TRUE(state.layoutDirty);
    EXPECT_FALSE(state.iconsCurrent);
    unregisterFromSettingsChanges(&section);
    resetSectionSettingsState();
}

} // namespace
