#include "ActionFixture.h"

#include "section/Presentation.h"

namespace {

using Events = std::vector<std::string>;

// The functions the App Store offers, their application and their entry.
struct StoreFunction {
    std::string_view functionId, bundleIdentifier, appStoreName, appStorePath;
};
// clang-format off
const StoreFunction storeFunctions[] = {
    {"APP-Evernote", "com.evernote.iPhone.Evernote", "Evernote", "evernote/id281796108"},
    {"APP-Facebook", "com.facebook.Facebook", "Facebook", "facebook/id284882215"},
    {"APP-FacebookMessenger", "com.facebook.Messenger", "Facebook Messenger", "messenger/id454638411"},
    {"APP-Instagram", "com.burbn.instagram", "Instagram", "instagram/id389801252"},
    {"APP-LINE", "jp.naver.line", "LINE", "line/id443904275"},
    {"APP-QQ", "com.tencent.mqq", "QQ", "qq/id444934666"},
    {"APP-SinaWeibo", "com.sina.weibo", "Sina Weibo", "weibo/id350962117"},
    {"APP-Skype", "com.skype.skype", "Skype for iPhone", "skype-for-iphone/id304878510"},
    {"APP-Snapchat", "com.toyopagroup.picaboo", "Snapchat", "snapchat/id447188370"},
    {"APP-TencentWeibo", "com.tencent.WeiBo", "Tencent Weibo", "teng-xun-wei-bo/id370130751"},
    {"APP-Twitter", "com.atebits.Tweetie2", "Twitter", "twitter/id333903271"},
    {"APP-WeChat", "com.tencent.xin", "WeChat", "wechat/id414478124"},
    {"APP-WhatsApp", "net.whatsapp.WhatsApp", "WhatsApp Messenger", "whatsapp-messenger/id310633997"},
};
// clang-format on

TEST_F(ActionTest, AMissingStoreApplicationIsOfferedWhateverTheActionAndItsPageOpensAtOnceWhenInstalled) {
    for (const auto& store : storeFunctions) {
        for (const std::string_view action : {"Launch", "AppStore"}) {
            freshSpringBoard();
            tap(store.functionId, action);
            EXPECT_EQ(shownAlert(), prompt(store.appStoreName)) << store.functionId << " " << action;
            EXPECT_EQ(springBoardEvents(), Events{});
            closePresentedController();

            install(std::string(store.bundleIdentifier));
            clearEvents();
            tap(store.functionId, action);
            EXPECT_EQ(shownAlert(), "");
            EXPECT_EQ(springBoardEvents(), action == "Launch" ? Events{activated(store.bundleIdentifier)}
                                                              : Events{openedStorePage(store.appStorePath)})
                << store.functionId << " " << action;
        }
    }
}

TEST_F(ActionTest, SystemLaunchesPromptOnlyForApplicationsTheStoreOffers) {
    struct Case {
        std::string_view functionId, bundleIdentifier, promptWhenMissing;
    };
    const Case cases[] = {
        {"SYS-Facebook", "com.facebook.Facebook", "Facebook"},
        {"SYS-SinaWeibo", "com.sina.weibo", "Sina Weibo"},
        {"SYS-TencentWeibo", "com.tencent.WeiBo", "Tencent Weibo"},
        {"SYS-Twitter", "com.atebits.Tweetie2", "Twitter"},
        {"SYS-Mail", "com.apple.mobilemail", ""},
        {"SYS-Message", "com.apple.MobileSMS", ""},
        {"SYS-Photo", "com.apple.mobileslideshow", ""},
        {"APP-Calendar", "com.apple.mobilecal", ""},
        {"APP-FMF", "com.apple.mobileme.fmf1", ""},
        {"APP-Notes", "com.apple.mobilenotes", ""},
    };
    for (const auto& [functionId, bundleIdentifier, promptWhenMissing] : cases) {
        freshSpringBoard();
        tap(functionId, "Launch");
        EXPECT_EQ(shownAlert(), promptWhenMissing.empty() ? "" : prompt(promptWhenMissing)) << functionId;
        EXPECT_EQ(springBoardEvents(), Events{}) << functionId;
        closePresentedController();

        install(std::string(bundleIdentifier));
        clearEvents();
        tap(functionId, "Launch");
        EXPECT_EQ(springBoardEvents(), Events{activated(bundleIdentifier)}) << functionId;
    }
    freshSpringBoard();
    tap("APP-Calendar", "Event");
    EXPECT_EQ(shownAlert(), "") << "a missing built-in application is never offered";
    EXPECT_EQ(springBoardEvents(), Events{});
}

TEST_F(ActionTest, InstagramsCameraOpensItsURLOnlyWhenInstalled) {
    tap("APP-Instagram", "Camera");
    EXPECT_EQ(shownAlert(), prompt("Instagram"));
    closePresentedController();
    install("com.burbn.instagram", {"kIGApplicationShortcutTypePost"});
    clearEvents();
    tap("APP-Instagram", "Camera");
    tap("APP-Instagram", "Post");
    EXPECT_EQ(springBoardEvents(),
              (Events{opened("instagram://camera"),
                      activatedItem("kIGApplicationShortcutTypePost", "com.burbn.instagram")}));
}

TEST_F(ActionTest, SystemFunctionsChooseThePickerModeOfTheirService) {
    struct Case {
        std::string_view functionId;
        int pickerMode;
    };
    const Case cases[] = {{"SYS-Photo", 0},    {"SYS-Mail", 1},      {"SYS-Message", 2},
                          {"SYS-Facebook", 3}, {"SYS-SinaWeibo", 4}, {"SYS-TencentWeibo", 5},
                          {"SYS-Twitter", 6}};
    for (const auto& [functionId, pickerMode] : cases) {
        for (const std::string_view action : {"Camera", "Library"}) {
            sectionState().pickerMode = PickerMode::none;
            tap(functionId, action);
            EXPECT_EQ(int(sectionState().pickerMode), pickerMode) << functionId << " " << action;
        }
    }
    sectionState().pickerMode = PickerMode::none;
    tap("SYS-Twitter", "Tweet");
    tap("SYS-Mail", "Mail");
    tap("SYS-Photo", "Scan");
    EXPECT_EQ(int(sectionState().pickerMode), -1) << "sheets of their own leave the picker mode alone";
}

TEST_F(ActionTest, DisabledAndUnknownSlotsDoNothing) {
    install("com.apple.mobilenotes");
    write("FUNCTION_1", CFPropertyList::string("DISABLED"));
    tapButton(1);
    sectionSettingsState().settings.functions[0] = "APP-Unknown";
    tapButton(1);
    EXPECT_EQ(springBoardEvents(), Events{});
    EXPECT_EQ(shownAlert(), "");
}

TEST_F(ActionTest, EachButtonRunsTheFunctionOfItsOwnSlot) {
    install("com.apple.mobilenotes");
    install("com.apple.mobilecal");
    write("FUNCTION_4", CFPropertyList::string("APP-Calendar"));
    write("FUNCTION_5", CFPropertyList::string("APP-Notes"));
    write("DEFAULT_ACTION_APP-Calendar", CFPropertyList::string("Launch"));
    write("DEFAULT_ACTION_APP-Notes", CFPropertyList::string("Launch"));
    tapButton(5);
    tapButton(4);
    EXPECT_EQ(springBoardEvents(),
              (Events{activated("com.apple.mobilenotes"), activated("com.apple.mobilecal")}));
}

// Each combination of the two Skype applications, on an iPad and on an iPhone.
TEST_F(ActionTest, SkypeFollowsTheDeviceFamily) {
    const std::string padSkype = "com.skype.SkypeForiPad", phoneSkype = "com.skype.skype";
    struct Case {
        UIUserInterfaceIdiom idiom;
        bool padApp, phoneApp;
        std::string launched, offered;
    };
    const Case cases[] = {
        {UIUserInterfaceIdiomPad, false, false, "", "Skype for iPad"},
        {UIUserInterfaceIdiomPad, true, false, padSkype, ""},
        {UIUserInterfaceIdiomPad, false, true, phoneSkype, ""},
        {UIUserInterfaceIdiomPad, true, true, padSkype, ""},
        {UIUserInterfaceIdiomPhone, true, false, "", "Skype for iPhone"},
        {UIUserInterfaceIdiomPhone, true, true, phoneSkype, ""},
    };
    for (const auto& [idiom, padApp, phoneApp, launched, offered] : cases) {
        const auto label = ::testing::Message() << "pad " << (idiom == UIUserInterfaceIdiomPad)
                                                << ", iPad app " << padApp << ", iPhone app " << phoneApp;
        freshSpringBoard(idiom);
        if (padApp)
            install(padSkype, {"com.skype.shortcut.compose"});
        if (phoneApp)
            install(phoneSkype, {"com.skype.shortcut.compose"});
        tap("APP-Skype", "Launch");
        tap("APP-Skype", "Chat");
        EXPECT_EQ(shownAlert(), offered.empty() ? "" : prompt(offered)) << label;
        const Events launches = {activated(launched), activatedItem("com.skype.shortcut.compose", launched)};
        EXPECT_EQ(springBoardEvents(), launched.empty() ? Events{} : launches) << label;
    }
    freshSpringBoard(UIUserInterfaceIdiomPad);
    install(phoneSkype);
    tap("APP-Skype", "AppStore");
    EXPECT_EQ(springBoardEvents(), Events{openedStorePage("skype-for-ipad/id442012681")});
}

} // namespace
