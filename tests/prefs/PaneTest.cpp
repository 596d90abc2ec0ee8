#include "Foundation/FoundationHost.h"
#include "Foundation/NSLocale.h"
#include "Foundation/NSPropertyListSerialization.h"
#include "PaneFixture.h"
#include "support/DeviceEvents.h"

#include <algorithm>
#include <fstream>

namespace {

TEST_F(PaneTest, TheAboutFooterCarriesTheYearsSince2015) {
    FoundationHost::setClock(midJune(2015));
    auto page = show<OrvanePrefsListController>();
    EXPECT_NE(footers(*page).back().find("\u00A9 2015 "), std::string::npos) << footers(*page).back();

    FoundationHost::setClock(midJune(2026));
    EXPECT_NE(footers(*page).back().find("2015 "), std::string::npos) << "the footer is set once per loading";
    page = show<OrvanePrefsListController>();
    EXPECT_NE(footers(*page).back().find("\u00A9 2015-2026 "), std::string::npos) << footers(*page).back();
    const auto colours = show<ColorsListController>();
    EXPECT_NE(footers(*colours).back().find("2015-2026"), std::string::npos) << "the colours page's GROUP";
}

TEST_F(PaneTest, TheBehaviourFooterSaysTheAppStoreSwitchOnlyGovernsTheMenus) {
    const auto page = show<OrvanePrefsListController>();
    const auto all = footers(*page);
    const auto behaviour = std::find_if(all.begin(), all.end(), [](const std::string& footer) {
        return footer.starts_with("Close Control Center once");
    });
    ASSERT_NE(behaviour, all.end());
    EXPECT_NE(behaviour->find("\"Open in App Store\" in the long-press menus"), std::string::npos)
        << *behaviour;
    EXPECT_EQ(behaviour->find("offer the App Store for a missing application"), std::string::npos)
        << "a missing application is offered the App Store whatever the switch says";
}

TEST_F(PaneTest, OnlyTheFirstAboutGroupGetsTheFooter) {
    device.writeText(
        std::string(paneBundlePath) + "/OrvanePrefs.plist",
        xmlPlist("<dict><key>items</key><array>"
                 "<dict><key>cell</key><string>PSGroupCell</string><key>id</key><string>ABOUT</string>"
                 "<key>label</key><string>First</string></dict>"
                 "<dict><key>cell</key><string>PSButtonCell</string><key>label</key><string>A</string>"
                 "</dict>"
                 "<dict><key>cell</key><string>PSGroupCell</string><key>id</key><string>ABOUT</string>"
                 "<key>label</key><string>Second</string></dict>"
                 "<dict><key>cell</key><string>PSButtonCell</string><key>label</key><string>B</string>"
                 "</dict><dict><key>cell</key><string>PSCell</string></dict></array></dict>"));
    const auto page = show<OrvanePrefsListController>();
    ASSERT_EQ(footers(*page).size(), 2u);
    EXPECT_NE(footers(*page)[0].find("Velquin"), std::string::npos);
    EXPECT_EQ(footers(*page)[1], "");
    EXPECT_EQ(
        loggedEvents("preferences.skipped"),
        std::vector<std::string>{"preferences.skipped plist=/Library/PreferenceBundles/OrvanePrefs.bundle/"
                                 "OrvanePrefs.plist what=\"item 5: no known \\\"cell\\\"\""});
    EXPECT_EQ(loggedEvents("preferences.page"),
              std::vector<std::string>{"preferences.page class=OrvanePrefsListController title=\"\""});
}

TEST_F(PaneTest, ValuesComeFromTheFileOrTheSpecifiersDefault) {
    auto page = show<OrvanePrefsListController>();
    EXPECT_EQ(shown(*page, "Button 3"), "Mail") << "no file: every control shows its default";
    EXPECT_EQ(shown(*page, "Height"), "46");
    EXPECT_EQ(shown(*page, "App Store"), "ON");
    ASSERT_TRUE(writeSettingsValue("FUNCTION_3", CFPropertyList::string("APP-Notes")));
    ASSERT_TRUE(writeSettingsValue("APP_STORE_ENABLED", CFPropertyList::boolean(false)));
    page->reload();
    EXPECT_EQ(shown(*page, "Button 3"), "Notes");
    EXPECT_EQ(shown(*page, "App Store"), "OFF");

    ASSERT_TRUE(writeSettingsValue("FUNCTION_3", CFPropertyList::string("APP-QQ")));
    const auto row = cell(*page, "Button 3")->specifier();
    ASSERT_TRUE(row);
    EXPECT_TRUE(NSObjectsEqualAsValues(page->readPreferenceValue(*row), NSString::stringWithString("APP-QQ")))
        << "between reloads a read goes to the file, not to what the last reload read";
}

TEST_F(PaneTest, AStoredValueKeepsTheFileNotifiesAndLeavesThePageAlone) {
    ASSERT_TRUE(writeSettingsValue("ICON_SIZE", CFPropertyList::integer(30)));
    const auto page = show<OrvanePrefsListController>();
    const auto before = cell(*page, "Rounded Icons");
    NotificationCounter posts(settingsChangedNotification);
    page->setPreferenceValue(NSNumber::numberWithBool(true), *before->specifier());
    EXPECT_EQ(posts.received, 1);
    EXPECT_EQ(*file()->objectForKey("ROUNDED_ICON"), CFPropertyList::boolean(true)) << "written as a boolean";
    EXPECT_EQ(*file()->objectForKey("ICON_SIZE"), CFPropertyList::integer(30));
    EXPECT_EQ(cell(*page, "Rounded Icons"), before) << "the page is not reloaded";
}

TEST_F(PaneTest, AValueWrittenWhileTheFileIsUnreadableLeavesAFileWithThatKeyOnly) {
    device.writeText(settingsPath, "this is no property list");
    const auto page = show<OrvanePrefsListController>();
    EXPECT_EQ(shown(*page, "Button 1"), "Facebook Post") << "an unreadable file reads as empty";
    page->setPreferenceValue(NSNumber::numberWithDouble(60), *cell(*page, "Height")->specifier());
    ASSERT_TRUE(file());
    EXPECT_EQ(file()->count(), 1u);
    EXPECT_EQ(*file()->objectForKey("VIEW_HEIGHT"), CFPropertyList::real(60));
}

// A binary file the reader takes but XML cannot carry back: {"NAME": "a\x01"}.
constexpr std::uint8_t unwritableBack[] = {
    'b',  'p',  'l',  'i',  's', 't', '0', '0', 0xd1, 0x01, 0x02, 0x54, 'N', 'A', 'M', 'E', 0x52, 'a',
    0x01, 0x08, 0x0b, 0x10, 0,   0,   0,   0,   0,    0,    1,    1,    0,   0,   0,   0,   0,    0,
    0,    3,    0,    0,    0,   0,   0,   0,   0,    0,    0,    0,    0,   0,   0,   0,   0,    0x13};

TEST_F(PaneTest, AWriteTheWriterRefusesIsSilentOnThePageButLoggedWithItsReason) {
    device.writeBytes(settingsPath, unwritableBack);
    ASSERT_TRUE(file()) << "the reader takes the file";
    const auto page = show<OrvanePrefsListController>();
    const auto before = cell(*page, "Landscape");
    NotificationCounter posts(settingsChangedNotification);
    page->setPreferenceValue(NSNumber::numberWithBool(true), *before->specifier());
    EXPECT_EQ(posts.received, 0);
    EXPECT_EQ(file()->objectForKey("LANDSCAPE_ENABLED"), nullptr) << "nothing written";
    EXPECT_EQ(cell(*page, "Landscape"), before) << "the page is not reloaded";
    EXPECT_EQ(
        loggedEvents("plist.refused"),
        std::vector<std::string>{"plist.refused path=" + std::string(settingsPath) +
                                 " reason=\"a key or string holds U+0001, which XML 1.0 cannot carry\""});
}

TEST_F(PaneTest, ResetButtonsRemovesTheSlotsOnlyAndTheSectionReturnsToItsDefaults) {
    for (const auto key : functionSlotKeys)
        ASSERT_TRUE(writeSettingsValue(key, CFPropertyList::string("APP-QQ")));
    ASSERT_TRUE(writeSettingsValue("ICON_SIZE", CFPropertyList::integer(20)));
    const auto page = show<OrvanePrefsListController>();
    EXPECT_EQ(shown(*page, "Button 6"), "QQ");
    NotificationCounter posts(settingsChangedNotification);
    tap(*page, "Reset Buttons");
    EXPECT_EQ(posts.received, 1);
    EXPECT_EQ(shown(*page, "Button 6"), "Photo") << "reloaded: the controls show their defaults";
    EXPECT_EQ(file()->count(), 1u);
    EXPECT_EQ(*file()->objectForKey("ICON_SIZE"), CFPropertyList::integer(20));
    SettingsState section;
    const auto written = file();
    loadSettings(section, &*written);
    EXPECT_EQ(section.settings.functions, SectionSettings().functions);
}

TEST_F(PaneTest, ResetHeightAndResetAllAndASecondResetAllThatDoesNothingAtAll) {
    ASSERT_TRUE(writeSettingsValue("VIEW_HEIGHT", CFPropertyList::real(80)));
    ASSERT_TRUE(writeSettingsValue("CC_DISMISS", CFPropertyList::boolean(true)));
    const auto page = show<OrvanePrefsListController>();
    tap(*page, "Reset Height");
    EXPECT_EQ(shown(*page, "Height"), "46");
    EXPECT_EQ(shown(*page, "Close Control Center"), "ON");

    NotificationCounter posts(settingsChangedNotification);
    tap(*page, "Reset All Settings");
    EXPECT_FALSE(std::filesystem::exists(device.hostPath(settingsPath)));
    EXPECT_EQ(posts.received, 1);
    EXPECT_EQ(shown(*page, "Close Control Center"), "OFF");
    const auto cellBefore = cell(*page, "Close Control Center");
    tap(*page, "Reset All Settings");
    EXPECT_EQ(posts.received, 1) << "no notification";
    EXPECT_EQ(cell(*page, "Close Control Center"), cellBefore) << "no reload";
    EXPECT_FALSE(std::filesystem::exists(device.hostPath(settingsPath))) << "no file written";
}

TEST_F(PaneTest, TheResetButtonsAreCentredAndNoOtherRow) {
    const auto root = show<OrvanePrefsListController>();
    for (const auto* label : {"Reset Buttons", "Reset Height", "Reset All Settings"})
        EXPECT_EQ(cell(*root, label)->alignment(), PSTableCellAlignmentCenter) << label;
    EXPECT_EQ(cell(*root, "Follow on Twitter")->alignment(), PSTableCellAlignmentNatural);
    const auto colours = show<ColorsListController>();
    for (const auto* label : {"Reset Button Alpha", "Reset Background Colour", "Reset Separator Colour"})
        EXPECT_EQ(cell(*colours, label)->alignment(), PSTableCellAlignmentCenter) << label;
    const auto actions = show<DefaultActionsListController>();
    EXPECT_EQ(cell(*actions, "Reset Default Actions")->alignment(), PSTableCellAlignmentCenter);
    EXPECT_EQ(cell(*actions, "Mail")->alignment(), PSTableCellAlignmentNatural);
}

TEST_F(PaneTest, DonateAndTheLinksOpenTheMakersPages) {
    const auto page = show<OrvanePrefsListController>();
    const auto& donate = page->navigationItem()->rightBarButtonItem();
    ASSERT_TRUE(donate);
    EXPECT_EQ(donate->title(), "Donate");
    EXPECT_EQ(donate->style(), UIBarButtonItemStylePlain);
    donate->press();
    tap(*page, "Follow on Twitter");
    tap(*page, "Follow on Weibo");
    EXPECT_EQ(application->opened,
              (std::vector<std::string>{std::string(makerDonationURL), std::string(makerTwitterURL),
                                        std::string(makerWeiboURL)}));
}

TEST_F(PaneTest, TheColourResetsRemoveTheirGroupOnly) {
    ASSERT_TRUE(writeSettingsValue("BUTTON_ALPHA", CFPropertyList::real(0.5)));
    ASSERT_TRUE(writeSettingsValue("BACKGROUND_RED", CFPropertyList::real(0.5)));
    ASSERT_TRUE(writeSettingsValue("SEPARATOR_BLUE", CFPropertyList::real(0.5)));
    const auto page = show<ColorsListController>();
    page->resetBackgroundColor();
    EXPECT_EQ(file()->objectForKey("BACKGROUND_RED"), nullptr);
    EXPECT_NE(file()->objectForKey("BUTTON_ALPHA"), nullptr);
    EXPECT_NE(file()->objectForKey("SEPARATOR_BLUE"), nullptr);

    NotificationCounter posts(settingsChangedNotification);
    page->resetBackgroundColor();
    EXPECT_EQ(posts.received, 1) << "a reset of keys the file lacks still writes and notifies";
    EXPECT_EQ(file()->count(), 2u);
}

TEST_F(PaneTest, ResetDefaultsLeavesNoDefaultActionKey) {
    for (const FunctionInfo& function : actionFunctions())
        ASSERT_TRUE(
            writeSettingsValue(function.defaultActionKey,
                               CFPropertyList::string(std::string(actionName(function.actionSet().back())))));
    ASSERT_TRUE(writeSettingsValue("ICON_STYLE", CFPropertyList::integer(1)));
    const auto page = show<DefaultActionsListController>();
    EXPECT_EQ(shown(*page, "Mail"), "Open the App");
    tap(*page, "Reset Default Actions");
    EXPECT_EQ(shown(*page, "Mail"), "New Mail");
    EXPECT_EQ(file()->count(), 1u);
    SettingsState section;
    const auto written = file();
    loadSettings(section, &*written);
    EXPECT_EQ(section.settings.defaultActions, SectionSettings().defaultActions);
}

TEST_F(PaneTest, ThePickerShowsEveryFunctionWithItsIconAndStoresTheChoice) {
    const auto root = show<OrvanePrefsListController>();
    tap(*root, "Button 3");
    const auto picker = std::dynamic_pointer_cast<IconListItemsController>(navigation->topViewController());
    ASSERT_TRUE(picker);
    EXPECT_EQ(picker->table()->sections().at(0).cells.size(), allowedFunctionIds.size());
    EXPECT_EQ(cell(*picker, "Mail")->accessoryType(), UITableViewCellAccessoryCheckmark);

    const auto disabled = cell(*picker, "Disabled");
    EXPECT_TRUE(disabled->textLabel()->textColor()->isEqual(*UIColor::redColor()));
    EXPECT_FALSE(disabled->imageView()->image());
    EXPECT_TRUE(cell(*picker, "Notes")->textLabel()->textColor()->isEqual(*UIColor::blackColor()));
    const auto post = cell(*picker, "Facebook Post")->imageView()->image();
    ASSERT_TRUE(post);
    for (const auto* shared : {"Sina Weibo Post", "Tencent Weibo Post", "Tweet"})
        EXPECT_EQ(cell(*picker, shared)->imageView()->image(), post) << shared;
    EXPECT_NE(cell(*picker, "Facebook")->imageView()->image(), post);
    for (const auto& section : picker->table()->sections())
        for (const auto& row : section.cells)
            EXPECT_TRUE(row->imageView()->image() || row == disabled) << row->textLabel()->text();

    NotificationCounter posts(settingsChangedNotification);
    tap(*picker, "Notes");
    EXPECT_EQ(posts.received, 1);
    EXPECT_EQ(*file()->objectForKey("FUNCTION_3"), CFPropertyList::string("APP-Notes"));
    EXPECT_EQ(cell(*picker, "Notes")->accessoryType(), UITableViewCellAccessoryCheckmark);
    navigation->popViewControllerAnimated(true);
    EXPECT_EQ(shown(*root, "Button 3"), "Notes") << "the root page reads its values again when it shows";
}

TEST_F(PaneTest, ThePickersIconsAreReadOnceAndAFailedLoadIsTriedAgain) {
    const auto notes = functionRowIcon("APP-Notes");
    ASSERT_TRUE(notes);
    std::filesystem::remove_all(device.hostPath("/System/Library/PrivateFrameworks/Preferences.framework"));
    EXPECT_EQ(functionRowIcon("APP-Notes"), notes) << "scrolling back reuses the cached image";
    EXPECT_FALSE(functionRowIcon("SYS-Mail"));
    install("System/Library/PrivateFrameworks/Preferences.framework",
            "/System/Library/PrivateFrameworks/Preferences.framework");
    EXPECT_TRUE(functionRowIcon("SYS-Mail")) << "a failed load leaves the slot empty for the next try";
    EXPECT_FALSE(functionRowIcon("DISABLED"));
    EXPECT_FALSE(functionRowIcon("APP-Nothing"));
}

// The device's languages, as the Settings application would have read them when it started.
void speak(const TemporaryDevice& device, std::string_view languages) {
    device.writeText(globalPreferencesPath, xmlPlist("<dict><key>AppleLanguages</key><array>" +
                                                     std::string(languages) + "</array></dict>"));
    FoundationHost::reloadPreferredLanguages();
}

TEST_F(PaneTest, OnAChineseDeviceThePagesReadInChineseAndTheFileKeepsTheEnglishIds) {
    speak(device, "<string>zh-Hans-CN</string>");
    FoundationHost::setClock(midJune(2026));
    const auto root = show<OrvanePrefsListController>();
    std::vector<std::string> headers;
    for (const auto& section : root->table()->sections())
        headers.push_back(section.header.value_or(""));
    EXPECT_EQ(headers, (std::vector<std::string>{"按钮", "外观", "行为", "还原", "关于"}));
    EXPECT_EQ(shown(*root, "按钮 1"), "Facebook 帖子") << "a list shows its choice's title in Chinese";
    EXPECT_EQ(cell(*root, "还原按钮")->alignment(), PSTableCellAlignmentCenter) << "a reset button by its id";
    EXPECT_EQ(root->navigationItem()->rightBarButtonItem()->title(), "捐赠");
    EXPECT_EQ(footers(*root).back(), "Orvane \u00A9 2015-2026 Velquin。为常在控制中心共享的人而作。");

    tap(*root, "按钮 3");
    const auto picker = std::dynamic_pointer_cast<IconListItemsController>(navigation->topViewController());
    ASSERT_TRUE(picker);
    EXPECT_EQ(picker->navigationItem()->title(), "按钮 3");
    EXPECT_TRUE(cell(*picker, "停用")->textLabel()->textColor()->isEqual(*UIColor::redColor()));
    EXPECT_TRUE(cell(*picker, "微信")->imageView()->image()) << "icons are found by id, whatever the title";
    tap(*picker, "微信");
    EXPECT_EQ(*file()->objectForKey("FUNCTION_3"), CFPropertyList::string("APP-WeChat"));

    const auto actions = show<DefaultActionsListController>();
    tap(*actions, "微信");
    const auto choices = std::dynamic_pointer_cast<PSListItemsController>(navigation->topViewController());
    ASSERT_TRUE(choices);
    tap(*choices, "拍摄小视频");
    EXPECT_EQ(*file()->objectForKey("DEFAULT_ACTION_APP-WeChat"), CFPropertyList::string("Sight"))
        << "the action's name, not its title";
}

TEST_F(PaneTest, ALanguageThePaneLacksShowsEnglishAndAMissingEntryShowsItsKey) {
    speak(device, "<string>fr</string><string>en</string>");
    auto root = show<OrvanePrefsListController>();
    EXPECT_EQ(shown(*root, "Button 1"), "Facebook Post");
    EXPECT_EQ(root->navigationItem()->rightBarButtonItem()->title(), "Donate");

    speak(device, "<string>ja</string>");
    device.writeText(std::string(paneBundlePath) + "/ja.lproj/OrvanePrefs.strings",
                     "\"Buttons\" = \"ボタン\";");
    root = show<OrvanePrefsListController>();
    EXPECT_TRUE(cell(*root, "Icon Size")) << "the key, which is the English text";
    EXPECT_EQ(root->table()->sections().front().header, "ボタン");
}

} // namespace
