#include "Foundation/NSDictionary.h"
#include "common/SectionSettings.h"
#include "support/TemporaryDevice.h"

#include <cmath>
#include <gtest/gtest.h>
#include <set>

namespace {

using Value = CFPropertyList;

NSDictionary fileWith(std::initializer_list<std::pair<std::string_view, Value>> entries) {
    NSMutableDictionary file;
    for (const auto& [key, value] : entries)
        file.setObject(value, key);
    return file;
}

// A state as the section leaves it after an appearance: flags consumed.
SettingsState settled(std::initializer_list<std::pair<std::string_view, Value>> entries = {}) {
    SettingsState state;
    const auto file = fileWith(entries);
    loadSettings(state, &file);
    state.layoutDirty = false;
    state.iconsCurrent = true;
    return state;
}

void read(SettingsState& state, std::initializer_list<std::pair<std::string_view, Value>> entries) {
    const auto file = fileWith(entries);
    loadSettings(state, &file);
}

TEST(LoadSettingsIconSize, TakesOnlyTheFourSizes) {
    auto state = settled();
    read(state, {{"ICON_SIZE", Value::integer(30)}});
    EXPECT_EQ(state.settings.iconSize, 30);
    EXPECT_TRUE(state.layoutDirty);
    EXPECT_FALSE(state.iconsCurrent);

    for (const auto& refused :
         {Value::integer(35), Value::integer(60), Value::integer(0), Value::integer(-20),
          Value::integer(4294967336), Value::string("big"), Value::real(NAN)}) {
        state.layoutDirty = false;
        state.iconsCurrent = true;
        read(state, {{"ICON_SIZE", refused}});
        EXPECT_EQ(state.settings.iconSize, 30) << "the size in force stays, not the default";
        EXPECT_FALSE(state.layoutDirty);
        EXPECT_TRUE(state.iconsCurrent);
    }
    read(state, {{"ICON_SIZE", Value::string("50")}});
    EXPECT_EQ(state.settings.iconSize, 50) << "a numeric string converts";
}

TEST(LoadSettingsFlags, EachKeyRaisesWhatItAffects) {
    struct Case {
        std::string_view key;
        Value value;
        bool clearsIcons;
        bool dirtiesLayout;
    };
    const Case cases[] = {
        {"ICON_STYLE", Value::integer(2), true, false},
        {"ROUNDED_ICON", Value::boolean(true), true, false},
        {"VIEW_HEIGHT", Value::real(60), false, true},
        {"SHOW_SEPARATORS", Value::boolean(false), false, true},
        {"BACKGROUND_RED", Value::real(0.5), false, false},
        {"BUTTON_ALPHA", Value::real(0.2), false, false},
        {"CC_DISMISS", Value::boolean(true), false, false},
        {"FUNCTION_2", Value::string("APP-QQ"), true, false},
        {"DEFAULT_ACTION_SYS-Photo", Value::string("Scan"), false, false},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(std::string(c.key));
        auto state = settled();
        read(state, {{c.key, c.value}});
        EXPECT_EQ(state.iconsCurrent, !c.clearsIcons);
        EXPECT_EQ(state.layoutDirty, c.dirtiesLayout);
        EXPECT_NE(state.settings, SectionSettings()) << "the value was not taken";
    }
}

TEST(LoadSettingsReals, BoundsAreTestedInSinglePrecision) {
    auto state = settled();
    read(state, {{"VIEW_HEIGHT", Value::real(25.9)}});
    EXPECT_EQ(state.settings.viewHeight, 46.0);
    read(state, {{"VIEW_HEIGHT", Value::integer(26)}});
    EXPECT_EQ(state.settings.viewHeight, 26.0);
    read(state, {{"VIEW_HEIGHT", Value::real(500)}});
    EXPECT_EQ(state.settings.viewHeight, 500.0);

    read(state, {{"BUTTON_ALPHA", Value::real(0)}});
    EXPECT_EQ(state.settings.buttonAlpha, 0.0);
    read(state, {{"BUTTON_ALPHA", Value::real(1.0)}});
    EXPECT_EQ(state.settings.buttonAlpha, 1.0);
    read(state, {{"BUTTON_ALPHA", Value::real(1.01)}});
    EXPECT_EQ(state.settings.buttonAlpha, 1.0);
    read(state, {{"BUTTON_ALPHA", Value::real(-0.1)}});
    EXPECT_EQ(state.settings.buttonAlpha, 1.0);
    read(state, {{"BUTTON_ALPHA", Value::real(0.7)}});
    EXPECT_EQ(state.settings.buttonAlpha, SectionSettings().buttonAlpha);
    EXPECT_EQ(state.settings.buttonAlpha, static_cast<double>(0.7f));
    // 1.00000001 rounds to 1.0f and so is within bounds.
    read(state, {{"SEPARATOR_ALPHA", Value::real(1.00000001)}});
    EXPECT_EQ(state.settings.separatorAlpha, 1.0);
}

TEST(LoadSettingsReals, NonNumbersAndInfinitiesLeaveTheValueInForce) {
    auto state = settled({{"VIEW_HEIGHT", Value::real(80)}, {"BACKGROUND_GREEN", Value::real(0.25)}});
    for (const auto& refused : {Value::real(NAN), Value::real(INFINITY), Value::real(1e300),
                                Value::string("tall"), Value::array({}), Value::data({1})}) {
        read(state, {{"VIEW_HEIGHT", refused}, {"BACKGROUND_GREEN", refused}});
        EXPECT_EQ(state.settings.viewHeight, 80.0);
        EXPECT_EQ(state.settings.backgroundGreen, 0.25);
    }
    read(state, {{"BACKGROUND_GREEN", Value::real(-INFINITY)}});
    EXPECT_EQ(state.settings.backgroundGreen, 0.25);
    read(state, {{"VIEW_HEIGHT", Value::string(" 90 ")}});
    EXPECT_EQ(state.settings.viewHeight, 90.0);
}

TEST(LoadSettingsFunctions, SlotsTakeOnlyCatalogueIdsAndKeepTheCountRight) {
    auto state = settled();
    read(state, {{"FUNCTION_3", Value::string("SYS-Nothing")}});
    EXPECT_EQ(state.settings.functions[2], "SYS-Mail");
    EXPECT_TRUE(state.iconsCurrent);
    read(state, {{"FUNCTION_3", Value::string("sys-message")}});
    EXPECT_EQ(state.settings.functions[2], "SYS-Mail");
    read(state, {{"FUNCTION_3", Value::integer(3)}});
    EXPECT_EQ(state.settings.functions[2], "SYS-Mail");

    read(state, {{"FUNCTION_3", Value::string("DISABLED")}});
    EXPECT_EQ(state.settings.functions[2], "DISABLED");
    EXPECT_EQ(state.enabledCount, 5u);
    EXPECT_TRUE(state.layoutDirty);
}

TEST(LoadSettingsFunctions, SixEmptySlotsCountZero) {
    auto state = settled();
    read(state, {{"FUNCTION_1", Value::string("DISABLED")},
                 {"FUNCTION_2", Value::string("DISABLED")},
                 {"FUNCTION_3", Value::string("DISABLED")},
                 {"FUNCTION_4", Value::string("DISABLED")},
                 {"FUNCTION_5", Value::string("DISABLED")},
                 {"FUNCTION_6", Value::string("DISABLED")}});
    EXPECT_EQ(state.enabledCount, 0u);
    read(state, {{"FUNCTION_1", Value::string("DISABLED")},
                 {"FUNCTION_2", Value::string("DISABLED")},
                 {"FUNCTION_3", Value::string("DISABLED")},
                 {"FUNCTION_4", Value::string("APP-Notes")},
                 {"FUNCTION_5", Value::string("DISABLED")},
                 {"FUNCTION_6", Value::string("DISABLED")}});
    EXPECT_EQ(state.enabledCount, 1u);
    read(state, {});
    EXPECT_EQ(state.enabledCount, 6u) << "missing slot keys mean the default functions";
}

TEST(LoadSettingsFunctions, SwappingTheEmptySlotKeepsTheCountButDirtiesTheLayout) {
    auto state =
        settled({{"FUNCTION_1", Value::string("DISABLED")}, {"FUNCTION_2", Value::string("SYS-Mail")}});
    ASSERT_EQ(state.enabledCount, 5u);
    read(state, {{"FUNCTION_1", Value::string("SYS-Mail")}, {"FUNCTION_2", Value::string("DISABLED")}});
    EXPECT_EQ(state.enabledCount, 5u);
    EXPECT_TRUE(state.layoutDirty);
    EXPECT_FALSE(state.iconsCurrent);

    // Replacing one function by another changes the images only.
    state.layoutDirty = false;
    read(state, {{"FUNCTION_1", Value::string("APP-WeChat")}, {"FUNCTION_2", Value::string("DISABLED")}});
    EXPECT_FALSE(state.layoutDirty);
}

TEST(LoadSettingsFunctions, SlotIdsDoNotPointIntoTheFile) {
    SettingsState state;
    {
        auto file = fileWith({{"FUNCTION_1", Value::string("APP-WhatsApp")}});
        loadSettings(state, &file);
    }
    EXPECT_EQ(state.settings.functions[0], "APP-WhatsApp");
    EXPECT_EQ(state.settings.functions[0].data(),
              functionInfoForId("APP-WhatsApp", DeviceFamily::phone)->functionId.data());
}

TEST(LoadSettingsDefaultActions, OnlyOfferedActionsAreTakenAndARemovedKeyRestoresTheDefault) {
    auto state = settled();
    read(state, {{"DEFAULT_ACTION_SYS-Photo", Value::string("Scan")},
                 {"DEFAULT_ACTION_SYS-Mail", Value::string("Scan")},
                 {"DEFAULT_ACTION_APP-Calendar", Value::string("AppStore")},
                 {"DEFAULT_ACTION_SYS-Twitter", Value::string("Camera")},
                 {"DEFAULT_ACTION_APP-LINE", Value::integer(1)}});
    EXPECT_EQ(state.settings.defaultActionFor("SYS-Photo"), Action::Scan);
    EXPECT_EQ(state.settings.defaultActionFor("SYS-Mail"), Action::Mail);
    EXPECT_EQ(state.settings.defaultActionFor("APP-Calendar"), Action::Event);
    EXPECT_EQ(state.settings.defaultActionFor("SYS-Twitter"), Action::Camera);
    EXPECT_EQ(state.settings.defaultActionFor("APP-LINE"), Action::Chat);
    EXPECT_FALSE(state.layoutDirty);
    EXPECT_TRUE(state.iconsCurrent);

    read(state, {});
    EXPECT_EQ(state.settings.defaultActionFor("SYS-Twitter"), Action::Tweet);
    EXPECT_EQ(state.settings.defaultActionFor("SYS-Photo"), Action::Camera);
    EXPECT_EQ(state.settings.defaultActionFor("DISABLED"), std::nullopt);
}

// What settingsValueIgnored says must be what loadSettings does: a value it calls ignored leaves every
// setting at its default, and one it takes (other than the default) changes a setting.
TEST(SettingsValueIgnored, AgreesWithTheReader) {
    const std::pair<std::string_view, Value> ignored[] = {
        {"ICON_SIZE", Value::integer(35)},
        {"ICON_SIZE", Value::integer(-20)},
        {"ICON_SIZE", Value::integer(99999999999)},
        {"ICON_SIZE", Value::string("30px")},
        {"ICON_STYLE", Value::integer(3)},
        {"VIEW_HEIGHT", Value::real(25.9)},
        {"VIEW_HEIGHT", Value::real(INFINITY)},
        {"BUTTON_ALPHA", Value::real(1.01)},
        {"BUTTON_ALPHA", Value::real(NAN)},
        {"SEPARATOR_RED", Value::real(-0.1)},
        {"ROUNDED_ICON", Value::string("perhaps")},
        {"FUNCTION_3", Value::string("APP-Nope")},
        {"FUNCTION_3", Value::integer(3)},
        {"DEFAULT_ACTION_SYS-Mail", Value::string("Scan")},
        {"DEFAULT_ACTION_SYS-Mail", Value::integer(1)},
    };
    const SettingsState defaults;
    for (const auto& [key, value] : ignored) {
        EXPECT_TRUE(settingsValueIgnored(key, value)) << key;
        SettingsState state;
        read(state, {{key, value}});
        EXPECT_EQ(state.settings, defaults.settings) << key << " was taken after all";
    }
    const std::pair<std::string_view, Value> taken[] = {
        {"ICON_SIZE", Value::integer(30)},         {"ICON_SIZE", Value::string("50")},
        {"ICON_STYLE", Value::integer(2)},         {"VIEW_HEIGHT", Value::integer(500)},
        {"BUTTON_ALPHA", Value::real(0)},          {"BACKGROUND_BLUE", Value::real(1.0)},
        {"ROUNDED_ICON", Value::boolean(true)},    {"CC_DISMISS", Value::string("yes")},
        {"FUNCTION_3", Value::string("DISABLED")}, {"DEFAULT_ACTION_SYS-Mail", Value::string("Camera")},
    };
    for (const auto& [key, value] : taken) {
        EXPECT_EQ(settingsValueIgnored(key, value), std::nullopt) << key;
        SettingsState state;
        read(state, {{key, value}});
        EXPECT_NE(state.settings, defaults.settings) << key << " was not taken";
    }
}

TEST(SettingsValueIgnored, NamesWhatTheKeyTakes) {
    EXPECT_EQ(settingsValueIgnored("ICON_SIZE", Value::integer(35)), "20, 30, 40 or 50");
    EXPECT_EQ(settingsValueIgnored("VIEW_HEIGHT", Value::real(2)), "a number of at least 26");
    EXPECT_EQ(settingsValueIgnored("SEPARATOR_ALPHA", Value::real(2)), "a number from 0 to 1");
    EXPECT_EQ(settingsValueIgnored("DEFAULT_ACTION_SYS-Mail", Value::string("Scan")),
              "an action of SYS-Mail: Mail, Camera, Library, Launch");
    EXPECT_TRUE(settingsValueIgnored("FUNCTION_1", Value::string("x"))->starts_with("one of DISABLED, APP-"));
}

TEST(SettingsKeys, AreTheKeysThatHaveDefaults) {
    const auto keys = settingsKeys();
    EXPECT_EQ(keys.size(), 17u + 6u + actionFunctionCount);
    for (const auto key : keys)
        EXPECT_TRUE(settingsDefault(key)) << key;
    EXPECT_EQ(std::set<std::string_view>(keys.begin(), keys.end()).size(), keys.size()) << "no key twice";
    EXPECT_FALSE(settingsDefault("ICON_SIZ"));
}

TEST(LoadSettingsDefaults, AnEmptyDictionaryRaisesFlagsOnlyWhereValuesChanged) {
    auto state = settled({{"BACKGROUND_RED", Value::real(1)}});
    read(state, {});
    EXPECT_EQ(state.settings, SectionSettings());
    EXPECT_FALSE(state.layoutDirty);
    EXPECT_TRUE(state.iconsCurrent);

    state = settled({{"ICON_STYLE", Value::integer(1)}});
    read(state, {});
    EXPECT_FALSE(state.iconsCurrent);
    EXPECT_FALSE(state.layoutDirty);
}

TEST(LoadSettingsDefaults, WithEveryKeyAtItsDefaultTheRowIsClearWithDimBlackSeparators) {
    const SectionSettings defaults;
    EXPECT_EQ(defaults.backgroundAlpha, 0.0);
    EXPECT_EQ(std::tuple(defaults.separatorRed, defaults.separatorGreen, defaults.separatorBlue),
              std::tuple(0., 0., 0.));
    EXPECT_FLOAT_EQ(defaults.separatorAlpha, 0.7f);
    EXPECT_EQ(SettingsState().enabledCount, 6u);
}

class LoadSettingsFromFile : public ::testing::Test {
  protected:
    void SetUp() override { resetSectionSettingsState(); }
    void TearDown() override { resetSectionSettingsState(); }
    SettingsState& state() { return sectionSettingsState(); }
    void settle() {
        state().layoutDirty = false;
        state().iconsCurrent = true;
    }
    TemporaryDevice device;
};

TEST_F(LoadSettingsFromFile, AMissingFileRaisesBothFlagsEvenWhenNothingChanged) {
    loadSettings();
    settle();
    loadSettings();
    EXPECT_EQ(state().settings, SectionSettings());
    EXPECT_TRUE(state().layoutDirty);
    EXPECT_FALSE(state().iconsCurrent);
}

TEST_F(LoadSettingsFromFile, AnUnreadableFileMeansEveryDefault) {
    const std::vector<std::string> unreadable = {
        "",
        xmlPlist("<dict><key>ICON_SIZE</key><integer>30</integer>").substr(0, 150),
        "\x01\x02garbage\xff\xfe",
        "bplist00\xd1\x01\x02",
        xmlPlist("<array><string>ICON_SIZE</string></array>"),
    };
    for (const auto& bytes : unreadable) {
        device.writeText(settingsPath, xmlPlist("<dict><key>ICON_SIZE</key><integer>30</integer>"
                                                "<key>FUNCTION_1</key><string>DISABLED</string></dict>"));
        loadSettings();
        ASSERT_EQ(state().enabledCount, 5u);
        settle();
        device.writeText(settingsPath, bytes);
        loadSettings();
        EXPECT_EQ(state().settings, SectionSettings());
        EXPECT_EQ(state().enabledCount, 6u);
        EXPECT_TRUE(state().layoutDirty);
        EXPECT_FALSE(state().iconsCurrent);
    }
}

TEST_F(LoadSettingsFromFile, ValuesOfTheWrongTypeLeaveEveryValueInForce) {
    device.writeText(settingsPath, xmlPlist("<dict><key>ICON_SIZE</key><integer>20</integer>"
                                            "<key>FUNCTION_2</key><string>APP-LINE</string>"
                                            "<key>BACKGROUND_BLUE</key><real>0.5</real>"
                                            "<key>SHOW_SEPARATORS</key><false/></dict>"));
    loadSettings();
    const SettingsState before = state();
    device.writeText(settingsPath, xmlPlist("<dict><key>ICON_SIZE</key><array/>"
                                            "<key>FUNCTION_2</key><integer>7</integer>"
                                            "<key>BACKGROUND_BLUE</key><string>blue</string>"
                                            "<key>SHOW_SEPARATORS</key><dict/>"
                                            "<key>DEFAULT_ACTION_APP-LINE</key><true/></dict>"));
    loadSettings();
    EXPECT_EQ(state().settings, before.settings);
    EXPECT_EQ(state().enabledCount, before.enabledCount);
}

TEST_F(LoadSettingsFromFile, TheCallbackReadsAgainWhenTheNotificationComes) {
    const int owner = 0;
    registerForSettingsChanges(&owner);
    device.writeText(settingsPath, xmlPlist("<dict><key>ICON_STYLE</key><integer>2</integer></dict>"));
    CFNotificationCenterPostNotification(CFNotificationCenterGetDarwinNotifyCenter(),
                                         settingsChangedNotification, nullptr, nullptr, true);
    EXPECT_EQ(state().settings.iconStyle, 2);
    unregisterFromSettingsChanges(&owner);
    device.writeText(settingsPath, xmlPlist("<dict><key>ICON_STYLE</key><integer>1</integer></dict>"));
    CFNotificationCenterPostNotification(CFNotificationCenterGetDarwinNotifyCenter(),
                                         settingsChangedNotification, nullptr, nullptr, true);
    EXPECT_EQ(state().settings.iconStyle, 2);
}

} // namespace
