#include "FunctionCatalogue.h"

#include <algorithm>

namespace {

constexpr std::string_view postSet[] = {"Post", "Camera", "Library", "Launch"};
constexpr std::string_view mailSet[] = {"Mail", "Camera", "Library", "Launch"};
constexpr std::string_view messageSet[] = {"Message", "Camera", "Library", "Launch"};
constexpr std::string_view photoSet[] = {"Camera", "Library", "Scan", "Launch"};
constexpr std::string_view tweetSet[] = {"Tweet", "Camera", "Library", "Launch"};
constexpr std::string_view calendarSet[] = {"Event", "Launch"};
constexpr std::string_view evernoteSet[] = {"Note", "Reminder", "Photo", "Launch", "AppStore"};
constexpr std::string_view facebookAppSet[] = {"Camera", "Post", "Library", "Launch", "AppStore"};
constexpr std::string_view messengerSet[] = {"Message", "Launch", "AppStore"};
constexpr std::string_view findFriendsSet[] = {"Location", "Launch"};
constexpr std::string_view instagramSet[] = {"Camera", "Post", "Launch", "AppStore"};
constexpr std::string_view chatSet[] = {"Chat", "Launch", "AppStore"};
constexpr std::string_view notesSet[] = {"Note", "Photo", "Sketch", "Launch"};
constexpr std::string_view postAppSet[] = {"Post", "Launch", "AppStore"};
constexpr std::string_view skypeSet[] = {"Chat", "Call", "Launch", "AppStore"};
constexpr std::string_view twitterAppSet[] = {"Tweet", "Message", "Launch", "AppStore"};
constexpr std::string_view weChatSet[] = {"Chat", "Sight", "Launch", "AppStore"};

constexpr std::string_view facebook[] = {"com.facebook.Facebook"};
constexpr std::string_view mail[] = {"com.apple.mobilemail"};
constexpr std::string_view messages[] = {"com.apple.MobileSMS"};
constexpr std::string_view photos[] = {"com.apple.mobileslideshow"};
constexpr std::string_view sinaWeibo[] = {"com.sina.weibo"};
constexpr std::string_view tencentWeibo[] = {"com.tencent.WeiBo"};
constexpr std::string_view twitter[] = {"com.atebits.Tweetie2"};
constexpr std::string_view calendar[] = {"com.apple.mobilecal"};
constexpr std::string_view evernote[] = {"com.evernote.iPhone.Evernote"};
constexpr std::string_view messenger[] = {"com.facebook.Messenger"};
constexpr std::string_view findFriends[] = {"com.apple.mobileme.fmf1"};
constexpr std::string_view instagram[] = {"com.burbn.instagram"};
constexpr std::string_view line[] = {"jp.naver.line"};
constexpr std::string_view notes[] = {"com.apple.mobilenotes"};
constexpr std::string_view qq[] = {"com.tencent.mqq"};
constexpr std::string_view skype[] = {"com.skype.skype"};
constexpr std::string_view skypeOnPad[] = {"com.skype.SkypeForiPad", "com.skype.skype"};
constexpr std::string_view snapchat[] = {"com.toyopagroup.picaboo"};
constexpr std::string_view weChat[] = {"com.tencent.xin"};
constexpr std::string_view whatsApp[] = {"net.whatsapp.WhatsApp"};

constexpr std::nullopt_t none = std::nullopt;

const FunctionInfo padSkype{"APP-Skype",
                            skypeSet,
                            "Chat",
                            skypeOnPad,
                            "Skype for iPad",
                            "skype-for-ipad/id442012681",
                            "DEFAULT_ACTION_APP-Skype"};

} // namespace

// clang-format off
const std::array<FunctionInfo, 24> functionCatalogue = {{
    {"SYS-Facebook", postSet, "Post", facebook, "Facebook", "facebook/id284882215", "DEFAULT_ACTION_SYS-Facebook"},
    {"SYS-Mail", mailSet, "Mail", mail, none, none, "DEFAULT_ACTION_SYS-Mail"},
    {"SYS-Message", messageSet, "Message", messages, none, none, "DEFAULT_ACTION_SYS-Message"},
    {"SYS-Photo", photoSet, "Camera", photos, none, none, "DEFAULT_ACTION_SYS-Photo"},
    {"SYS-SinaWeibo", postSet, "Post", sinaWeibo, "Sina Weibo", "weibo/id350962117", "DEFAULT_ACTION_SYS-SinaWeibo"},
    {"SYS-TencentWeibo", postSet, "Post", tencentWeibo, "Tencent Weibo", "teng-xun-wei-bo/id370130751", "DEFAULT_ACTION_SYS-TencentWeibo"},
    {"SYS-Twitter", tweetSet, "Tweet", twitter, "Twitter", "twitter/id333903271", "DEFAULT_ACTION_SYS-Twitter"},
    {"APP-Calendar", calendarSet, "Event", calendar, none, none, "DEFAULT_ACTION_APP-Calendar"},
    {"APP-Evernote", evernoteSet, "Note", evernote, "Evernote", "evernote/id281796108", "DEFAULT_ACTION_APP-Evernote"},
    {"APP-Facebook", facebookAppSet, "Post", facebook, "Facebook", "facebook/id284882215", "DEFAULT_ACTION_APP-Facebook"},
    {"APP-FacebookMessenger", messengerSet, "Message", messenger, "Facebook Messenger", "messenger/id454638411", "DEFAULT_ACTION_APP-FacebookMessenger"},
    {"APP-FMF", findFriendsSet, "Location", findFriends, none, none, "DEFAULT_ACTION_APP-FMF"},
    {"APP-Instagram", instagramSet, "Post", instagram, "Instagram", "instagram/id389801252", "DEFAULT_ACTION_APP-Instagram"},
    {"APP-LINE", chatSet, "Chat", line, "LINE", "line/id443904275", "DEFAULT_ACTION_APP-LINE"},
    {"APP-Notes", notesSet, "Note", notes, none, none, "DEFAULT_ACTION_APP-Notes"},
    {"APP-QQ", chatSet, "Chat", qq, "QQ", "qq/id444934666", "DEFAULT_ACTION_APP-QQ"},
    {"APP-SinaWeibo", postAppSet, "Post", sinaWeibo, "Sina Weibo", "weibo/id350962117", "DEFAULT_ACTION_APP-SinaWeibo"},
    {"APP-Skype", skypeSet, "Chat", skype, "Skype for iPhone", "skype-for-iphone/id304878510", "DEFAULT_ACTION_APP-Skype"},
    {"APP-Snapchat", chatSet, "Chat", snapchat, "Snapchat", "snapchat/id447188370", "DEFAULT_ACTION_APP-Snapchat"},
    {"APP-TencentWeibo", postAppSet, "Post", tencentWeibo, "Tencent Weibo", "teng-xun-wei-bo/id370130751", "DEFAULT_ACTION_APP-TencentWeibo"},
    {"APP-Twitter", twitterAppSet, "Tweet", twitter, "Twitter", "twitter/id333903271", "DEFAULT_ACTION_APP-Twitter"},
    {"APP-WeChat", weChatSet, "Chat", weChat, "WeChat", "wechat/id414478124", "DEFAULT_ACTION_APP-WeChat"},
    {"APP-WhatsApp", chatSet, "Chat", whatsApp, "WhatsApp Messenger", "whatsapp-messenger/id310633997", "DEFAULT_ACTION_APP-WhatsApp"},
    {"DISABLED", {}, {}, {}, none, none, {}},
}};

const std::array<std::string_view, 24> allowedFunctionIds = {
    "DISABLED",
    "APP-Calendar", "APP-Evernote", "APP-Facebook", "APP-FacebookMessenger", "APP-FMF", "APP-Instagram",
    "APP-LINE", "APP-Notes", "APP-QQ", "APP-SinaWeibo", "APP-Skype", "APP-Snapchat", "APP-TencentWeibo",
    "APP-Twitter", "APP-WeChat", "APP-WhatsApp",
    "SYS-Facebook", "SYS-Mail", "SYS-Message", "SYS-Photo", "SYS-SinaWeibo", "SYS-TencentWeibo", "SYS-Twitter",
};
// clang-format on

bool FunctionInfo::offersAction(std::string_view action) const {
    return std::find(actionSet.begin(), actionSet.end(), action) != actionSet.end();
}

std::span<const FunctionInfo, 23> actionFunctions() {
    return std::span(functionCatalogue).first<23>();
}

bool isAllowedFunctionId(std::string_view functionId) {
    return std::find(allowedFunctionIds.begin(), allowedFunctionIds.end(), functionId) !=
           allowedFunctionIds.end();
}

const FunctionInfo* functionInfoForId(std::string_view functionId, DeviceFamily family) {
    if (family == DeviceFamily::pad && functionId == padSkype.functionId)
        return &padSkype;
    const auto found =
        std::find_if(functionCatalogue.begin(), functionCatalogue.end(),
                     [functionId](const FunctionInfo& info) { return info.functionId == functionId; });
    return found == functionCatalogue.end() ? nullptr : &*found;
}

std::string_view resolveDefaultAction(const FunctionInfo& function, std::optional<std::string_view> stored,
                                      std::string_view inForce) {
    const std::string_view candidate = stored.value_or(function.defaultAction);
    if (candidate == inForce)
        return inForce;
    const auto offered = std::find(function.actionSet.begin(), function.actionSet.end(), candidate);
    return offered == function.actionSet.end() ? inForce : *offered;
}
