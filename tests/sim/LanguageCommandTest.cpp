#include "Foundation/NSLocale.h"
#include "SimulatorFixture.h"
#include "support/DeviceEvents.h"

namespace {

std::optional<DeviceProfile> profileWith(std::string_view body, std::string& error) {
    const std::string text = xmlPlist("<dict>" + std::string(body) + "</dict>");
    return parseDeviceProfile(std::span(reinterpret_cast<const std::uint8_t*>(text.data()), text.size()),
                              error);
}

TEST_F(SimulatorTest, TheLanguageCommandPrintsAndChangesTheDevicesLanguages) {
    EXPECT_EQ(output("language"), "en\n") << "a fresh device";
    EXPECT_EQ(output("language fr,en"), "fr en\n");
    EXPECT_EQ(loggedEvents("device."), std::vector<std::string>{"device.languages languages=fr,en"});
    EXPECT_EQ(output("language zh_hans_cn ja zh-Hans-CN"), "zh-Hans-CN ja\n") << "canonical, once each";
    const auto stored = NSDictionary::dictionaryWithContentsOfFile(globalPreferencesPath);
    ASSERT_TRUE(stored);
    EXPECT_EQ(*stored->objectForKey("AppleLanguages"),
              CFPropertyList::array({CFPropertyList::string("zh-Hans-CN"), CFPropertyList::string("ja")}));

    for (const auto* bad : {"language fr!", "language ,", "language a b c d e f g h i j k l m n o p q"}) {
        const auto refused = run(bad);
        EXPECT_EQ(refused.status, 2) << bad;
        EXPECT_TRUE(refused.errors.starts_with("usage: language [LIST]")) << refused.errors;
        EXPECT_TRUE(has(refused.errors, "language: ")) << "and why";
    }
    EXPECT_EQ(output("language"), "zh-Hans-CN ja\n") << "a refused list changes nothing";
}

TEST_F(SimulatorTest, TheNextMenuAndTheNextPageShowTheNewLanguage) {
    output("install");
    output("open");
    output("hold 1");
    EXPECT_TRUE(has(output("alert"), "action: \"New Post\"")) << "English first";
    output("dismiss");
    output("language zh-Hans");
    output("hold 1");
    const std::string menu = output("alert");
    EXPECT_TRUE(has(menu, "action: \"发新帖\"")) << menu;
    EXPECT_TRUE(has(menu, "action: \"打开 Facebook\"")) << menu;
    output("dismiss");
    output("close");
    output("settings open");
    output("settings tap Orvane");
    const std::string page = output("settings show");
    EXPECT_TRUE(has(page, "按钮 1")) << page;
    EXPECT_TRUE(has(page, "Facebook 帖子")) << page;
    std::ostringstream out, errors;
    EXPECT_EQ(device->run(std::vector<std::string>{"settings", "tap", "按钮 2"}, out, errors), 0)
        << errors.str();
    output("settings tap 微信");
    EXPECT_EQ(output("defaults read FUNCTION_2"), "FUNCTION_2 = \"APP-WeChat\"\n") << "the file keeps the id";
}

TEST(DeviceProfileLanguages, AProfilesLanguagesBecomeTheDevicesAndBadOnesAreRefused) {
    std::string error;
    const auto profile = profileWith("<key>Languages</key><array><string>zh-Hant-TW</string>"
                                     "<string>en</string></array>",
                                     error);
    ASSERT_TRUE(profile) << error;
    EXPECT_EQ(profile->languages, (std::vector<std::string>{"zh-Hant-TW", "en"}));
    EXPECT_FALSE(profileWith("", error)->languages) << "left out: the device keeps its own";

    for (const auto* bad : {"<key>Languages</key><string>en</string>", "<key>Languages</key><array/>",
                            "<key>Languages</key><array><string>not a language</string></array>",
                            "<key>Languages</key><array><integer>1</integer></array>"}) {
        EXPECT_FALSE(profileWith(bad, error)) << bad;
        EXPECT_TRUE(error.starts_with("Languages must be an array of language ids")) << error;
    }

    TemporaryDevice device;
    applyDeviceProfile(*profile);
    EXPECT_EQ(NSLocale::preferredLanguages(), (std::vector<std::string>{"zh-Hant-TW", "en"}));
    applyDeviceProfile(defaultDeviceProfile());
    EXPECT_EQ(NSLocale::preferredLanguages(), (std::vector<std::string>{"zh-Hant-TW", "en"}))
        << "a profile without languages leaves the device's";
}

} // namespace
