#include "ActionFixture.h"
#include "Foundation/FoundationHost.h"

#include "Foundation/NSLocale.h"
#include "section/Presentation.h"

namespace {

using Titles = std::vector<std::string>;

// The section on a device whose person reads `languages` first (an XML array's items).
class LanguagesTest : public ActionTest {
  protected:
    ~LanguagesTest() override { closePresentedController(); }

    void speak(std::string_view languages) {
        device.writeText(globalPreferencesPath, xmlPlist("<dict><key>AppleLanguages</key><array>" +
                                                         std::string(languages) + "</array></dict>"));
        FoundationHost::reloadPreferredLanguages();
    }
    static std::shared_ptr<UIAlertController> shown() {
        return std::dynamic_pointer_cast<UIAlertController>(sectionState().presentedController);
    }
    static Titles titles() {
        Titles list;
        if (const auto alert = shown())
            for (const auto& action : alert->actions())
                list.push_back(action->title());
        return list;
    }
    void hold(std::string_view functionId) {
        write("FUNCTION_1", CFPropertyList::string(std::string(functionId)));
        const auto& press = section->longPress(1);
        press->setState(UIGestureRecognizerStateBegan);
        press->setState(UIGestureRecognizerStateEnded);
    }
};

TEST_F(LanguagesTest, OnAChineseDeviceTheStorePromptAndTheMenusReadInChinese) {
    speak("<string>zh-Hans-CN</string><string>en</string>");
    controlCenterOpen();
    tap("APP-WeChat", "Chat");
    ASSERT_TRUE(shown());
    EXPECT_EQ(shown()->message(), "打开 App Store 下载“微信”？") << "the name as China's App Store writes it";
    EXPECT_EQ(titles(), (Titles{"好", "取消"}));
    ASSERT_TRUE(PersonAnswers::chooseActionWithTitle(*shown(), "好"));
    EXPECT_EQ(springBoardEvents(), std::vector<std::string>{openedStorePage("wechat/id414478124")});

    install("com.tencent.xin");
    hold("APP-WeChat");
    EXPECT_EQ(titles(), (Titles{"发起聊天", "拍摄小视频", "打开", "在 App Store 中打开", "取消"}));
    ASSERT_TRUE(PersonAnswers::chooseActionWithTitle(*shown(), "打开"));
    EXPECT_EQ(springBoardEvents().back(), activated("com.tencent.xin")) << "an item runs its action";

    hold("SYS-Photo");
    EXPECT_EQ(titles(), (Titles{"拍照或录像", "从照片图库中选取", "扫码", "打开照片", "取消"}));
    closePresentedController();
    EXPECT_EQ(readSettingsValue("FUNCTION_1", std::nullopt), CFPropertyList::string("SYS-Photo"));
}

TEST_F(LanguagesTest, TraditionalChineseAndJapaneseDevicesReadTheirOwnTables) {
    speak("<string>zh-Hant-TW</string>");
    controlCenterOpen();
    tap("APP-LINE", "Chat");
    EXPECT_EQ(shown()->message(), "打開 App Store 下載「LINE」？");
    closePresentedController();

    speak("<string>ja-JP</string>");
    hold("SYS-Mail");
    EXPECT_EQ(titles(), (Titles{"新規メール", "写真またはビデオを撮る", "フォトライブラリから選択",
                                "メールを開く", "キャンセル"}));
}

TEST_F(LanguagesTest, AnUnofferedLanguageShowsEnglishAndAMissingEntryShowsItsKey) {
    speak("<string>fr</string><string>en</string>");
    controlCenterOpen();
    tap("APP-WeChat", "Chat");
    EXPECT_EQ(shown()->message(), "Open App Store to download \"WeChat\"?");
    closePresentedController();

    speak("<string>zh-Hans</string>");
    device.writeText(std::string(sectionBundlePath) + "/zh-Hans.lproj/Localizable.strings",
                     "\"Cancel\" = \"取消\";");
    hold("APP-Calendar");
    EXPECT_EQ(titles(), (Titles{"New Event", "Launch", "取消"}));
}

} // namespace
