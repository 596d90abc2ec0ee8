#include "common/SettingsWriter.h"
#include "Foundation/NSDictionary.h"
#include "common/SectionSettings.h"
#include "support/TemporaryDevice.h"

#include <gtest/gtest.h>
#include <set>
#include <sys/stat.h>

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

TEST_F(SettingsWriter, WritingOverAnUnreadableFileKeepsOnlyTheNewKey) {
    device.writeText(settingsPath, "not a property list");
    ASSERT_TRUE(writeSettingsValue("CC_DISMISS", Value::boolean(true)));
    EXPECT_EQ(storedKeys(), std::set<std::string>{"CC_DISMISS"});
}

TEST_F(SettingsWriter, AFailedWriteReportsItAndPostsNothing) {
    std::filesystem::create_directories(device.hostPath(settingsPath)); // a folder where the file belongs
    EXPECT_FALSE(writeSettingsValue("ICON_SIZE", Value::integer(30)));
    EXPECT_FALSE(resetHeight());
    EXPECT_EQ(notifications.received, 0);
}

TEST_F(SettingsWriter, EachResetRemovesExactlyItsKeys) {
    struct Reset {
        bool (*run)();
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
    ASSERT_EQ(everyKey.size(), 17u + 6u + 23u);

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
    EXPECT_FALSE(resetAll());
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
    EXPECT_EQ(state.settings.defaultActionFor("SYS-Twitter"), "Camera");
    EXPECT_EQ(state.enabledCount, 5u);

    resetDefaults();
    EXPECT_EQ(state.settings.defaultActionFor("SYS-Twitter"), "Tweet");
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
