#include "Foundation/NSLocale.h"
#include "Foundation/FoundationHost.h"
#include "Foundation/NSBundle.h"
#include "support/DeviceEvents.h"
#include "support/TemporaryDevice.h"

#include <gtest/gtest.h>

namespace {

using Ids = std::vector<std::string>;

constexpr std::string_view bundlePath = "/Library/Caddex/Bundles/Words.bundle";

void writeLanguages(const TemporaryDevice& device, std::string_view arrayItems) {
    device.writeText(globalPreferencesPath, xmlPlist("<dict><key>AppleLanguages</key><array>" +
                                                     std::string(arrayItems) + "</array></dict>"));
    FoundationHost::reloadPreferredLanguages();
}

std::optional<std::string> chosen(const Ids& localizations, const Ids& preferences) {
    return NSBundle::preferredLocalizationsFromArray(localizations, preferences);
}

TEST(NSLocaleTest, LanguageIdsAreCanonicalAndTextThatIsNoIdIsRefused) {
    EXPECT_EQ(NSLocale::canonicalLanguageIdentifier("zh_hans_cn"), "zh-Hans-CN");
    EXPECT_EQ(NSLocale::canonicalLanguageIdentifier("EN-us"), "en-US");
    EXPECT_EQ(NSLocale::canonicalLanguageIdentifier("ja"), "ja");
    EXPECT_EQ(NSLocale::canonicalLanguageIdentifier("English"), "en");
    EXPECT_EQ(NSLocale::canonicalLanguageIdentifier("zh_TW"), "zh-Hant");
    for (const std::string_view bad : {"", "e", "english-", "1a", "fr--CA", "fr-CA ", "de-abcdefghi", "x/y"})
        EXPECT_FALSE(NSLocale::canonicalLanguageIdentifier(bad)) << bad;
    EXPECT_FALSE(NSLocale::canonicalLanguageIdentifier(std::string(65, 'a')));
}

TEST(NSLocaleTest, TheDeviceLanguagesComeFromTheGlobalPreferencesAndEnglishWhenItNamesNone) {
    TemporaryDevice device;
    EXPECT_EQ(NSLocale::preferredLanguages(), Ids{"en"}) << "a fresh device";

    writeLanguages(device, "<string>zh-Hans-CN</string><string>bad id</string><integer>3</integer>"
                           "<string>en</string><string>zh_Hans_CN</string>");
    EXPECT_EQ(NSLocale::preferredLanguages(), (Ids{"zh-Hans-CN", "en"}))
        << "in order, canonical, once each, without what is no language";

    device.writeText(globalPreferencesPath,
                     xmlPlist("<dict><key>AppleLanguages</key><array><string>ja</string>"
                              "</array></dict>"));
    EXPECT_EQ(NSLocale::preferredLanguages(), (Ids{"zh-Hans-CN", "en"}))
        << "kept until the processes restart";
    FoundationHost::reloadPreferredLanguages();
    EXPECT_EQ(NSLocale::preferredLanguages(), Ids{"ja"});

    device.writeText(globalPreferencesPath, "not a property list");
    FoundationHost::reloadPreferredLanguages();
    EXPECT_EQ(NSLocale::preferredLanguages(), Ids{"en"});

    writeLanguages(device, "<string>ja</string>");
    TemporaryDevice other;
    EXPECT_EQ(NSLocale::preferredLanguages(), Ids{"en"}) << "another device root has its own languages";
}

TEST(NSLocaleTest, TheFirstPreferenceTheBundleCanServeChoosesItsLocalization) {
    const Ids offered = {"en", "ja", "zh-Hans", "zh-Hant"};
    EXPECT_EQ(chosen(offered, {"zh-Hans"}), "zh-Hans");
    EXPECT_EQ(chosen(offered, {"zh-Hans-CN"}), "zh-Hans") << "without the region";
    EXPECT_EQ(chosen(offered, {"zh-Hant-HK", "en"}), "zh-Hant");
    EXPECT_EQ(chosen(offered, {"zh-TW"}), "zh-Hant") << "the script of a Chinese region";
    EXPECT_EQ(chosen(offered, {"zh-HK"}), "zh-Hant");
    EXPECT_EQ(chosen(offered, {"zh-CN"}), "zh-Hans");
    EXPECT_EQ(chosen(offered, {"zh"}), "zh-Hans");
    EXPECT_EQ(chosen(offered, {"ja-JP"}), "ja");
    EXPECT_EQ(chosen(offered, {"fr", "en"}), "en") << "French is not offered";
    EXPECT_EQ(chosen(offered, {"fr", "ja", "en"}), "ja") << "the first that can be served";
    EXPECT_EQ(chosen(offered, {"not an id", "ja"}), "ja");
    EXPECT_FALSE(chosen(offered, {"fr", "de"}));
    EXPECT_FALSE(chosen({}, {"en"}));
    EXPECT_EQ(chosen({"en-GB", "fr"}, {"en"}), "en-GB") << "a narrower localization serves a language";
    EXPECT_EQ(chosen({"zh", "en"}, {"zh-Hant-TW"}), "zh");
}

class LocalizedBundleTest : public ::testing::Test {
  protected:
    void SetUp() override {
        device.writeText(
            std::string(bundlePath) + "/Info.plist",
            xmlPlist("<dict><key>CFBundleDevelopmentRegion</key><string>English</string></dict>"));
        writeTable("en", "Localizable", "\"Cancel\" = \"Cancel\"; \"Open\" = \"Open\";");
        writeTable("zh-Hans", "Localizable", "\"Cancel\" = \"取消\";");
        writeTable("ja", "Localizable", "\"Cancel\" = \"キャンセル\";");
        writeTable("en", "Colors", "\"Red\" = \"Red\";");
    }
    void writeTable(std::string_view folder, std::string_view table, std::string_view text) const {
        device.writeText(std::string(bundlePath) + "/" + std::string(folder) + ".lproj/" +
                             std::string(table) + ".strings",
                         text);
    }
    std::shared_ptr<NSBundle> bundle() const { return NSBundle::bundleWithPath(bundlePath); }

    TemporaryDevice device;
};

TEST_F(LocalizedBundleTest, TextComesInTheDeviceLanguageAndTheKeyWhereTheTableLacksIt) {
    writeLanguages(device, "<string>zh-Hans-CN</string>");
    EXPECT_EQ(bundle()->localizations(), (Ids{"en", "ja", "zh-Hans"}));
    EXPECT_EQ(bundle()->developmentLocalization(), "en") << "\"English\" means en.lproj";
    EXPECT_EQ(bundle()->preferredLocalizations(), (Ids{"zh-Hans", "en"}));
    EXPECT_EQ(bundle()->localizedStringForKey("Cancel", "", "Localizable"), "取消");
    EXPECT_EQ(bundle()->localizedStringForKey("Open", "", "Localizable"), "Open")
        << "a key missing from the chosen table shows the key, not another language's text";
    EXPECT_EQ(bundle()->localizedStringForKey("Red", "", "Colors"), "Red")
        << "a table the localization lacks comes from the development localization";
    EXPECT_EQ(bundle()->localizedStringForKey("Blue", "", "Nowhere"), "Blue");
}

TEST_F(LocalizedBundleTest, ALanguageTheBundleLacksFallsToTheNextAndThenToTheDevelopmentRegion) {
    writeLanguages(device, "<string>fr</string><string>ja</string>");
    EXPECT_EQ(bundle()->localizedStringForKey("Cancel", "", ""), "キャンセル");

    writeLanguages(device, "<string>fr</string><string>de</string>");
    EXPECT_EQ(bundle()->preferredLocalizations(), Ids{"en"});
    EXPECT_EQ(bundle()->localizedStringForKey("Cancel", "", ""), "Cancel");
}

TEST_F(LocalizedBundleTest, TablesAreKeptUntilTheLanguagesChange) {
    writeLanguages(device, "<string>ja</string>");
    EXPECT_EQ(bundle()->localizedStringForKey("Cancel", "", ""), "キャンセル");
    writeTable("ja", "Localizable", "\"Cancel\" = \"取り消し\";");
    EXPECT_EQ(bundle()->localizedStringForKey("Cancel", "", ""), "キャンセル") << "read once and kept";

    writeLanguages(device, "<string>zh-Hans</string>");
    EXPECT_EQ(bundle()->localizedStringForKey("Cancel", "", ""), "取消") << "a respring chooses again";
    writeLanguages(device, "<string>ja</string>");
    EXPECT_EQ(bundle()->localizedStringForKey("Cancel", "", ""), "取り消し") << "and reads the tables again";
}

TEST(NSBundleLocalizationTest, ABundleWithoutLocalizationsShowsTheKeys) {
    TemporaryDevice device;
    device.writeText(std::string(bundlePath) + "/Info.plist", xmlPlist("<dict/>"));
    device.writeText(std::string(bundlePath) + "/fr.lproj", "a file, not a folder");
    const auto bundle = NSBundle::bundleWithPath(bundlePath);
    ASSERT_TRUE(bundle);
    EXPECT_TRUE(bundle->localizations().empty());
    EXPECT_TRUE(bundle->preferredLocalizations().empty());
    EXPECT_EQ(bundle->localizedStringForKey("Cancel", "", ""), "Cancel");
}

} // namespace
