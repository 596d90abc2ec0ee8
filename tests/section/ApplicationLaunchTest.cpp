#include "ActionFixture.h"

#include "section/ApplicationLaunch.h"

namespace {

using Events = std::vector<std::string>;

// One row of the quick-action table: the function's application, the item it looks for, whether it also
// searches the items registered at run time, and what its fallback does.
struct Row {
    std::string_view functionId;
    std::string_view action;
    std::string_view bundleIdentifier;
    std::string_view itemType;
    bool searchesDynamic;
    std::string_view fallbackURL;
};

// clang-format off
const Row rows[] = {
    {"APP-Calendar", "Event", "com.apple.mobilecal", "com.apple.mobilecal.addevent", true, ""},
    {"APP-Evernote", "Note", "com.evernote.iPhone.Evernote", "newNote", true, ""},
    {"APP-Evernote", "Reminder", "com.evernote.iPhone.Evernote", "newReminderNote", true, ""},
    {"APP-Evernote", "Photo", "com.evernote.iPhone.Evernote", "newCameraNote", true, ""},
    {"APP-Facebook", "Camera", "com.facebook.Facebook", "fb_shorcut_item_camera", false, ""},
    {"APP-Facebook", "Post", "com.facebook.Facebook", "fb_shorcut_item_composer", false, ""},
    {"APP-Facebook", "Library", "com.facebook.Facebook", "fb_shorcut_item_camera", false, ""},
    {"APP-FacebookMessenger", "Message", "com.facebook.Messenger", "com.facebook.Messenger.compose", true, ""},
    {"APP-FMF", "Location", "com.apple.mobileme.fmf1", "openShareMyLocation", true, ""},
    {"APP-Instagram", "Post", "com.burbn.instagram", "kIGApplicationShortcutTypePost", true, ""},
    {"APP-LINE", "Chat", "jp.naver.line", "MNewChat", true, ""},
    {"APP-Notes", "Note", "com.apple.mobilenotes", "com.apple.notes.newNote", false, ""},
    {"APP-Notes", "Photo", "com.apple.mobilenotes", "com.apple.notes.photo", false, ""},
    {"APP-Notes", "Sketch", "com.apple.mobilenotes", "com.apple.notes.sketch", false, ""},
    {"APP-QQ", "Chat", "com.tencent.mqq", "com.tencent.mqq.mutichat", true, ""},
    {"APP-SinaWeibo", "Post", "com.sina.weibo", "sinaweibo://compose", false, "sinaweibo://compose"},
    {"APP-Skype", "Chat", "com.skype.skype", "com.skype.shortcut.compose", false, ""},
    {"APP-Skype", "Call", "com.skype.skype", "com.skype.shortcut.composeCall", false, ""},
    {"APP-Snapchat", "Chat", "com.toyopagroup.picaboo", "com.snapchat.quick_action_type.chat_with", true, ""},
    {"APP-TencentWeibo", "Post", "com.tencent.WeiBo", "0", true, ""},
    {"APP-Twitter", "Tweet", "com.atebits.Tweetie2", "com.twitter.shortcut.new-tweet", true, "twitter://post"},
    {"APP-Twitter", "Message", "com.atebits.Tweetie2", "com.twitter.shortcut.new-message", true, ""},
    {"APP-WeChat", "Chat", "com.tencent.xin", "new_chat", false, ""},
    {"APP-WeChat", "Sight", "com.tencent.xin", "sight", false, ""},
    {"APP-WhatsApp", "Chat", "net.whatsapp.WhatsApp", "Chat", true, "whatsapp://send"},
};
// clang-format on

class QuickActionRow : public ActionTest, public ::testing::WithParamInterface<Row> {
  protected:
    Events launch() {
        EventLog::clear();
        const auto* routine = shortcutRoutineFor(GetParam().functionId, *actionNamed(GetParam().action));
        if (routine)
            launchApplicationShortcut(*routine, DeviceFamily::phone);
        return routine ? springBoardEvents() : Events{"no routine"};
    }
    std::string fallback() const {
        const Row& row = GetParam();
        return row.fallbackURL.empty() ? activated(row.bundleIdentifier) : opened(row.fallbackURL);
    }
};

TEST_P(QuickActionRow, OpensTheMatchingItemElseFallsBackAndDoesNothingWhenNotInstalled) {
    const Row& row = GetParam();
    const std::string bundle(row.bundleIdentifier);
    const std::string type(row.itemType);
    const Events onItem = {activatedItem(row.itemType, row.bundleIdentifier)};

    EXPECT_EQ(launch(), Events{}) << "not installed: nothing, not even the URL";

    install(bundle, {"unrelated", type});
    EXPECT_EQ(launch(), onItem) << "a static item";

    freshSpringBoard();
    install(bundle, {"unrelated"}, {type});
    EXPECT_EQ(launch(), row.searchesDynamic ? onItem : Events{fallback()})
        << "an item registered at run time";

    freshSpringBoard();
    install(bundle, {type + "x", "UNRELATED"});
    EXPECT_EQ(launch(), Events{fallback()}) << "no item of that exact type";

    freshSpringBoard();
    install(bundle, {}, {}, false);
    EXPECT_EQ(launch(), row.fallbackURL.empty() ? Events{} : Events{fallback()})
        << "an icon that may not launch stops only the plain launch";
}

INSTANTIATE_TEST_SUITE_P(EveryRoutine, QuickActionRow, ::testing::ValuesIn(rows),
                         [](const ::testing::TestParamInfo<Row>& instance) {
                             std::string name = std::string(instance.param.functionId.substr(4)) +
                                                std::string(instance.param.action);
                             return name;
                         });

TEST_F(ActionTest, OnlyTheTwentyFiveRoutinesExist) {
    EXPECT_EQ(shortcutRoutineFor("APP-Instagram", Action::Camera), nullptr);
    EXPECT_EQ(shortcutRoutineFor("APP-Twitter", Action::Launch), nullptr);
    EXPECT_EQ(shortcutRoutineFor("SYS-Twitter", Action::Tweet), nullptr);
    EXPECT_EQ(shortcutRoutineFor("APP-twitter", Action::Tweet), nullptr);
}

// The iPad's own Skype comes first; the fallback launches whichever was found.
TEST_F(ActionTest, SkypeOnAPadPrefersTheIPadApplicationAndFallsBackToTheOneFound) {
    const auto& call = *shortcutRoutineFor("APP-Skype", Action::Call);
    struct Case {
        bool padApp, phoneApp;
        Events onPad, onPhone;
    };
    const std::string padSkype = "com.skype.SkypeForiPad", phoneSkype = "com.skype.skype";
    const Case cases[] = {
        {false, false, {}, {}},
        {true, false, {activated(padSkype)}, {}},
        {false, true, {activated(phoneSkype)}, {activated(phoneSkype)}},
        {true, true, {activated(padSkype)}, {activated(phoneSkype)}},
    };
    for (const auto& [padApp, phoneApp, onPad, onPhone] : cases) {
        for (const auto idiom : {UIUserInterfaceIdiomPad, UIUserInterfaceIdiomPhone}) {
            freshSpringBoard(idiom);
            if (padApp)
                install(padSkype);
            if (phoneApp)
                install(phoneSkype);
            EventLog::clear();
            launchApplicationShortcut(call, currentDeviceFamily());
            EXPECT_EQ(springBoardEvents(), idiom == UIUserInterfaceIdiomPad ? onPad : onPhone)
                << "iPad app " << padApp << ", iPhone app " << phoneApp << ", on a pad "
                << (idiom == UIUserInterfaceIdiomPad);
        }
    }
    freshSpringBoard(UIUserInterfaceIdiomPad);
    install(padSkype, {"com.skype.shortcut.composeCall"});
    install(phoneSkype, {"com.skype.shortcut.composeCall"});
    EventLog::clear();
    launchApplicationShortcut(call, DeviceFamily::pad);
    EXPECT_EQ(springBoardEvents(), Events{activatedItem("com.skype.shortcut.composeCall", padSkype)});
}

TEST_F(ActionTest, APlainLaunchNeedsAnIconThatMayLaunchAndTheUIController) {
    install("com.apple.mobilenotes");
    install("com.example.installing", {}, {}, false);
    launchApplication("com.apple.mobilenotes");
    launchApplication("com.example.installing");
    launchApplication("com.example.missing");
    EXPECT_EQ(springBoardEvents(), Events{activated("com.apple.mobilenotes")});

    EventLog::clear();
    ObjCRuntime::unregisterClass("SBUIController");
    launchApplication("com.apple.mobilenotes");
    EXPECT_EQ(springBoardEvents(), Events{}) << "SpringBoard without SBUIController launches nothing";
}

} // namespace
