#pragma once

#include "Action.h"

#include <algorithm>
#include <array>
#include <cstdint>
#include <initializer_list>
#include <optional>
#include <span>
#include <stdexcept>
#include <string_view>

// A short list held in place, so that a row of a constexpr table can hold it. A row that lists more items
// than the list takes does not compile.
template <typename Item, std::size_t capacity> class InlineList {
  public:
    constexpr InlineList() = default;
    constexpr InlineList(std::initializer_list<Item> items) {
        for (const Item& item : items)
            push_back(item);
    }

    constexpr const Item* begin() const { return _items.data(); }
    constexpr const Item* end() const { return _items.data() + _size; }
    constexpr std::size_t size() const { return _size; }
    constexpr bool empty() const { return _size == 0; }
    constexpr const Item& front() const { return _items[0]; }
    constexpr const Item& back() const { return _items[_size - 1]; }
    constexpr const Item& operator[](std::size_t index) const { return _items[index]; }
    constexpr bool contains(const Item& item) const { return std::ranges::find(*this, item) != end(); }
    constexpr void push_back(const Item& item) {
        if (_size == capacity)
            throw std::length_error("a catalogue row lists more items than its column holds");
        _items[_size++] = item;
    }

  private:
    std::array<Item, capacity> _items{};
    std::size_t _size = 0;
};

// What a picked photo or video is for, as the section records it while its picker is open.
enum class PickerMode : int {
    none = -1,
    share = 0,
    mail = 1,
    message = 2,
    facebookPost = 3,
    sinaWeiboPost = 4,
    tencentWeiboPost = 5,
    twitterPost = 6,
};

// Which of an application's quick-action lists a routine searches.
enum class ShortcutSearch : std::uint8_t { staticOnly, staticThenDynamic };

// An application opened on one of its home-screen quick actions: the item type to look for (the other
// application's own identifier, compared exactly as written, misspellings too), the lists searched, and the
// URL opened when no item matches (else a plain launch).
struct QuickAction {
    std::string_view itemType;
    ShortcutSearch search = ShortcutSearch::staticOnly;
    std::optional<std::string_view> fallbackURL;
};

// What one action runs.
enum class Step : std::uint8_t {
    sheet,             // the function's own sheet, or the scanner (its services column)
    takePicture,       // the picker on the camera, in the function's picker mode
    chooseFromLibrary, // the picker on the library, in the function's picker mode
    launch,            // the function's application
    quickAction,       // the application on a quick action
    urlWhenKnown,      // a URL, when SpringBoard knows the function's application
    appStorePage,      // the application's App Store page
};

struct ActionRow {
    Action action{};
    // The long-press menu's item, before localisation.
    std::string_view menuTitle;
    Step step{};
    QuickAction quickAction{};
    std::string_view url;
};

// Rows name only the columns they fill; the others keep their defaults.
#pragma GCC diagnostic push
#pragma GCC diagnostic ignored "-Wmissing-field-initializers"

constexpr ActionRow sheet(Action action, std::string_view menuTitle) {
    return {action, menuTitle, Step::sheet};
}
constexpr ActionRow takePicture(std::string_view menuTitle) {
    return {Action::Camera, menuTitle, Step::takePicture};
}
constexpr ActionRow chooseFromLibrary() {
    return {Action::Library, "Choose from Library", Step::chooseFromLibrary};
}
constexpr ActionRow launch(std::string_view menuTitle = "Launch") {
    return {Action::Launch, menuTitle, Step::launch};
}
constexpr ActionRow quickAction(Action action, std::string_view menuTitle, std::string_view itemType,
                                ShortcutSearch search, std::optional<std::string_view> fallbackURL = {}) {
    return {action, menuTitle, Step::quickAction, {itemType, search, fallbackURL}};
}
constexpr ActionRow urlWhenKnown(Action action, std::string_view menuTitle, std::string_view url) {
    return {action, menuTitle, Step::urlWhenKnown, {}, url};
}
constexpr ActionRow openInAppStore() {
    return {Action::AppStore, "Open in App Store", Step::appStorePage};
}

// The section's own sheet of a system function.
enum class Sheet : std::uint8_t { none, socialPost, mail, message, scanner };

// What a system function does inside the section: its sheet (with the service a post goes to), and the
// picker's mode and media for its Camera and Library.
struct Services {
    Sheet sheet = Sheet::none;
    std::string_view serviceType;
    PickerMode pickerMode = PickerMode::none;
    bool includeVideos = false;
};

// The section's button tile, drawn at build time: a white mark on a coloured rounded square (a dark mark
// on a light tile), saved as "<first target>-icon.png" with its bare black mark as "-black.png".
struct Tile {
    std::string_view mark;
    double red = 0, green = 0, blue = 0;
    bool darkMark = false;
};

// The settings pane's icon of the function: a file in the pane's bundle or in the Preferences framework,
// shrunk at build time from the function's tile, or the framework's one icon for posting to any account.
struct PaneIcon {
    std::string_view file;
    bool inFramework = false;
    bool sharedPostIcon = false;
};

// An iPad looks for another application first and offers that one in the App Store.
struct PadVariant {
    std::string_view bundleIdentifier;
    std::string_view appStoreName;
    std::string_view appStorePath;
};

// Everything about one function a button can be bound to: the actions a tap or a menu item may run (in the
// order of the action set) with what each runs, the one a fresh installation runs, the application the
// function opens or checks for and where the App Store offers it, and its icons.
struct FunctionInfo {
    std::string_view functionId;
    // The settings key that stores the action a tap runs ("DEFAULT_ACTION_" + id); empty for "DISABLED".
    std::string_view defaultActionKey;
    Action defaultAction{};
    InlineList<ActionRow, 5> actions;
    // The long-press menu's order where it differs from the action set's; empty where it does not.
    InlineList<Action, 5> menuOrder;
    InlineList<std::string_view, 2> targetBundleIds;
    std::optional<std::string_view> appStoreName;
    std::optional<std::string_view> appStorePath;
    std::optional<PadVariant> pad;
    Services services;
    // Absent where another row with the same application draws its tile.
    std::optional<Tile> tile;
    PaneIcon paneIcon;

    constexpr const ActionRow* actionRow(Action action) const {
        const auto found = std::ranges::find(actions, action, &ActionRow::action);
        return found == actions.end() ? nullptr : found;
    }
    constexpr bool offersAction(Action action) const {
        return std::ranges::find(actions, action, &ActionRow::action) != actions.end();
    }
    // The actions, in the action set's order.
    constexpr InlineList<Action, 5> actionSet() const {
        InlineList<Action, 5> set;
        for (const auto& row : actions)
            set.push_back(row.action);
        return set;
    }
    // The actions in the long-press menu's order.
    constexpr InlineList<Action, 5> menuActions() const {
        return menuOrder.empty() ? actionSet() : menuOrder;
    }
};

inline constexpr std::string_view disabledFunctionId = "DISABLED";

namespace catalogue_rows {

using enum Action;
using enum ShortcutSearch;
constexpr std::nullopt_t none = std::nullopt;
// The four post services share the framework's one icon for posting to any account.
constexpr PaneIcon sharedPostIcon = {"Wallpaper.png", true, true};

// The id and its settings key, spelt once.
#define ORVANE_FUNCTION(id) .functionId = id, .defaultActionKey = "DEFAULT_ACTION_" id

// One row per function, in the order in which their default actions are read, then "DISABLED". The
// settings pane lists them in the order of allowedFunctionIds below. A system function's tile is drawn by
// its row; the store application of the same name shows the same tile.
// clang-format off
inline constexpr auto functionCatalogue = std::to_array<FunctionInfo>({
    {ORVANE_FUNCTION("SYS-Facebook"), .defaultAction = Post,
     .actions = {sheet(Post, "New Post"), takePicture("Take Photo"), chooseFromLibrary(), launch("Launch Facebook")},
     .targetBundleIds = {"com.facebook.Facebook"}, .appStoreName = "Facebook", .appStorePath = "facebook/id284882215",
     .services = {Sheet::socialPost, "com.apple.social.facebook", PickerMode::facebookPost, false},
     .tile = Tile{"f", 0.23, 0.35, 0.60, false}, .paneIcon = sharedPostIcon},
    {ORVANE_FUNCTION("SYS-Mail"), .defaultAction = Mail,
     .actions = {sheet(Mail, "New Mail"), takePicture("Take Photo/Video"), chooseFromLibrary(), launch("Launch Mail")},
     .targetBundleIds = {"com.apple.mobilemail"},
     .services = {Sheet::mail, {}, PickerMode::mail, true},
     .tile = Tile{"\u2709", 0.10, 0.51, 0.98, false}, .paneIcon = {"Mail.png", true}},
    {ORVANE_FUNCTION("SYS-Message"), .defaultAction = Message,
     .actions = {sheet(Message, "New Message"), takePicture("Take Photo/Video"), chooseFromLibrary(),
                 launch("Launch Messages")},
     .targetBundleIds = {"com.apple.MobileSMS"},
     .services = {Sheet::message, {}, PickerMode::message, true},
     .tile = Tile{"M", 0.20, 0.78, 0.35, false}, .paneIcon = {"Messages.png", true}},
    {ORVANE_FUNCTION("SYS-Photo"), .defaultAction = Camera,
     .actions = {takePicture("Take Photo/Video"), chooseFromLibrary(), sheet(Scan, "Scan Code"), launch("Launch Photos")},
     .targetBundleIds = {"com.apple.mobileslideshow"},
     .services = {Sheet::scanner, {}, PickerMode::share, true},
     .tile = Tile{"\u273F", 0.96, 0.65, 0.14, false}, .paneIcon = {"Photos.png", true}},
    {ORVANE_FUNCTION("SYS-SinaWeibo"), .defaultAction = Post,
     .actions = {sheet(Post, "New Post"), takePicture("Take Photo"), chooseFromLibrary(), launch("Launch Sina Weibo")},
     .targetBundleIds = {"com.sina.weibo"}, .appStoreName = "Sina Weibo", .appStorePath = "weibo/id350962117",
     .services = {Sheet::socialPost, "com.apple.social.sinaweibo", PickerMode::sinaWeiboPost, false},
     .tile = Tile{"Wb", 0.90, 0.09, 0.18, false}, .paneIcon = sharedPostIcon},
    {ORVANE_FUNCTION("SYS-TencentWeibo"), .defaultAction = Post,
     .actions = {sheet(Post, "New Post"), takePicture("Take Photo"), chooseFromLibrary(), launch("Launch Tencent Weibo")},
     .targetBundleIds = {"com.tencent.WeiBo"}, .appStoreName = "Tencent Weibo",
     .appStorePath = "teng-xun-wei-bo/id370130751",
     .services = {Sheet::socialPost, "com.apple.social.tencentweibo", PickerMode::tencentWeiboPost, false},
     .tile = Tile{"Tq", 0.16, 0.62, 0.87, false}, .paneIcon = sharedPostIcon},
    {ORVANE_FUNCTION("SYS-Twitter"), .defaultAction = Tweet,
     .actions = {sheet(Tweet, "New Tweet"), takePicture("Take Photo"), chooseFromLibrary(), launch("Launch Twitter")},
     .targetBundleIds = {"com.atebits.Tweetie2"}, .appStoreName = "Twitter", .appStorePath = "twitter/id333903271",
     .services = {Sheet::socialPost, "com.apple.social.twitter", PickerMode::twitterPost, false},
     .tile = Tile{"Tw", 0.11, 0.63, 0.95, false}, .paneIcon = sharedPostIcon},
    {ORVANE_FUNCTION("APP-Calendar"), .defaultAction = Event,
     .actions = {quickAction(Event, "New Event", "com.apple.mobilecal.addevent", staticThenDynamic), launch()},
     .targetBundleIds = {"com.apple.mobilecal"},
     .tile = Tile{"31", 0.98, 0.98, 0.98, true}, .paneIcon = {"Calendar.png", true}},
    {ORVANE_FUNCTION("APP-Evernote"), .defaultAction = Note,
     .actions = {quickAction(Note, "New Note", "newNote", staticThenDynamic),
                 quickAction(Reminder, "Set Reminder", "newReminderNote", staticThenDynamic),
                 quickAction(Photo, "Take Photo", "newCameraNote", staticThenDynamic), launch(), openInAppStore()},
     .targetBundleIds = {"com.evernote.iPhone.Evernote"}, .appStoreName = "Evernote",
     .appStorePath = "evernote/id281796108",
     .tile = Tile{"E", 0.18, 0.75, 0.38, false}, .paneIcon = {"Evernote", false}},
    {ORVANE_FUNCTION("APP-Facebook"), .defaultAction = Post,
     .actions = {quickAction(Camera, "Take Photo/Video", "fb_shorcut_item_camera", staticOnly),
                 quickAction(Post, "New Post", "fb_shorcut_item_composer", staticOnly),
                 quickAction(Library, "Upload Photo/Video", "fb_shorcut_item_camera", staticOnly), launch(),
                 openInAppStore()},
     .menuOrder = {Post, Camera, Library, Launch, AppStore},
     .targetBundleIds = {"com.facebook.Facebook"}, .appStoreName = "Facebook", .appStorePath = "facebook/id284882215",
     .paneIcon = {"FacebookSettings.png", true}},
    {ORVANE_FUNCTION("APP-FacebookMessenger"), .defaultAction = Message,
     .actions = {quickAction(Message, "New Message", "com.facebook.Messenger.compose", staticThenDynamic), launch(),
                 openInAppStore()},
     .targetBundleIds = {"com.facebook.Messenger"}, .appStoreName = "Facebook Messenger",
     .appStorePath = "messenger/id454638411",
     .tile = Tile{"m", 0.00, 0.52, 1.00, false}, .paneIcon = {"FacebookMessenger", false}},
    {ORVANE_FUNCTION("APP-FMF"), .defaultAction = Location,
     .actions = {quickAction(Location, "Share My Location", "openShareMyLocation", staticThenDynamic), launch()},
     .targetBundleIds = {"com.apple.mobileme.fmf1"},
     .tile = Tile{"FF", 1.00, 0.58, 0.00, false}, .paneIcon = {"FMF.png", false}},
    {ORVANE_FUNCTION("APP-Instagram"), .defaultAction = Post,
     .actions = {urlWhenKnown(Camera, "Take Photo/Video", "instagram://camera"),
                 quickAction(Post, "New Post", "kIGApplicationShortcutTypePost", staticThenDynamic), launch(),
                 openInAppStore()},
     .targetBundleIds = {"com.burbn.instagram"}, .appStoreName = "Instagram", .appStorePath = "instagram/id389801252",
     .tile = Tile{"Ig", 0.76, 0.21, 0.52, false}, .paneIcon = {"Instagram.png", false}},
    {ORVANE_FUNCTION("APP-LINE"), .defaultAction = Chat,
     .actions = {quickAction(Chat, "New Chat", "MNewChat", staticThenDynamic), launch(), openInAppStore()},
     .targetBundleIds = {"jp.naver.line"}, .appStoreName = "LINE", .appStorePath = "line/id443904275",
     .tile = Tile{"L", 0.00, 0.76, 0.00, false}, .paneIcon = {"LINE.png", false}},
    {ORVANE_FUNCTION("APP-Notes"), .defaultAction = Note,
     .actions = {quickAction(Note, "New Note", "com.apple.notes.newNote", staticOnly),
                 quickAction(Photo, "New Photo", "com.apple.notes.photo", staticOnly),
                 quickAction(Sketch, "New Sketch", "com.apple.notes.sketch", staticOnly), launch()},
     .targetBundleIds = {"com.apple.mobilenotes"},
     .tile = Tile{"N", 1.00, 0.80, 0.00, true}, .paneIcon = {"Notes.png", true}},
    {ORVANE_FUNCTION("APP-QQ"), .defaultAction = Chat,
     .actions = {quickAction(Chat, "New Chat", "com.tencent.mqq.mutichat", staticThenDynamic), launch(), openInAppStore()},
     .targetBundleIds = {"com.tencent.mqq"}, .appStoreName = "QQ", .appStorePath = "qq/id444934666",
     .tile = Tile{"Q", 0.07, 0.72, 0.96, false}, .paneIcon = {"QQ", false}},
    {ORVANE_FUNCTION("APP-SinaWeibo"), .defaultAction = Post,
     .actions = {quickAction(Post, "New Post", "sinaweibo://compose", staticOnly, "sinaweibo://compose"), launch(),
                 openInAppStore()},
     .targetBundleIds = {"com.sina.weibo"}, .appStoreName = "Sina Weibo", .appStorePath = "weibo/id350962117",
     .paneIcon = {"Weibo.png", true}},
    {ORVANE_FUNCTION("APP-Skype"), .defaultAction = Chat,
     .actions = {quickAction(Chat, "New Chat", "com.skype.shortcut.compose", staticOnly),
                 quickAction(Call, "New Call", "com.skype.shortcut.composeCall", staticOnly), launch(), openInAppStore()},
     .targetBundleIds = {"com.skype.skype"}, .appStoreName = "Skype for iPhone",
     .appStorePath = "skype-for-iphone/id304878510",
     .pad = PadVariant{"com.skype.SkypeForiPad", "Skype for iPad", "skype-for-ipad/id442012681"},
     .tile = Tile{"S", 0.00, 0.69, 0.94, false}, .paneIcon = {"Skype.png", false}},
    {ORVANE_FUNCTION("APP-Snapchat"), .defaultAction = Chat,
     .actions = {quickAction(Chat, "New Chat", "com.snapchat.quick_action_type.chat_with", staticThenDynamic), launch(),
                 openInAppStore()},
     .targetBundleIds = {"com.toyopagroup.picaboo"}, .appStoreName = "Snapchat", .appStorePath = "snapchat/id447188370",
     .tile = Tile{"Sc", 1.00, 0.99, 0.00, true}, .paneIcon = {"Snapchat.png", false}},
    {ORVANE_FUNCTION("APP-TencentWeibo"), .defaultAction = Post,
     .actions = {quickAction(Post, "New Post", "0", staticThenDynamic), launch(), openInAppStore()},
     .targetBundleIds = {"com.tencent.WeiBo"}, .appStoreName = "Tencent Weibo",
     .appStorePath = "teng-xun-wei-bo/id370130751",
     .paneIcon = {"TencentWeiboSettings.png", true}},
    {ORVANE_FUNCTION("APP-Twitter"), .defaultAction = Tweet,
     .actions = {quickAction(Tweet, "New Tweet", "com.twitter.shortcut.new-tweet", staticThenDynamic, "twitter://post"),
                 quickAction(Message, "New Message", "com.twitter.shortcut.new-message", staticThenDynamic), launch(),
                 openInAppStore()},
     .targetBundleIds = {"com.atebits.Tweetie2"}, .appStoreName = "Twitter", .appStorePath = "twitter/id333903271",
     .paneIcon = {"Twitter.png", true}},
    {ORVANE_FUNCTION("APP-WeChat"), .defaultAction = Chat,
     .actions = {quickAction(Chat, "New Chat", "new_chat", staticOnly), quickAction(Sight, "Take Sight", "sight", staticOnly),
                 launch(), openInAppStore()},
     .targetBundleIds = {"com.tencent.xin"}, .appStoreName = "WeChat", .appStorePath = "wechat/id414478124",
     .tile = Tile{"Wc", 0.04, 0.72, 0.24, false}, .paneIcon = {"WeChat.png", false}},
    {ORVANE_FUNCTION("APP-WhatsApp"), .defaultAction = Chat,
     .actions = {quickAction(Chat, "New Chat", "Chat", staticThenDynamic, "whatsapp://send"), launch(), openInAppStore()},
     .targetBundleIds = {"net.whatsapp.WhatsApp"}, .appStoreName = "WhatsApp Messenger",
     .appStorePath = "whatsapp-messenger/id310633997",
     .tile = Tile{"Wa", 0.15, 0.83, 0.40, false}, .paneIcon = {"WhatsApp.png", false}},
    {.functionId = disabledFunctionId},
});

// The ids a slot accepts, in the order the settings pane lists them.
inline constexpr auto allowedFunctionIds = std::to_array<std::string_view>({
    "DISABLED",
    "APP-Calendar", "APP-Evernote", "APP-Facebook", "APP-FacebookMessenger", "APP-FMF", "APP-Instagram",
    "APP-LINE", "APP-Notes", "APP-QQ", "APP-SinaWeibo", "APP-Skype", "APP-Snapchat", "APP-TencentWeibo",
    "APP-Twitter", "APP-WeChat", "APP-WhatsApp",
    "SYS-Facebook", "SYS-Mail", "SYS-Message", "SYS-Photo", "SYS-SinaWeibo", "SYS-TencentWeibo", "SYS-Twitter",
});
// clang-format on

#undef ORVANE_FUNCTION

} // namespace catalogue_rows

#pragma GCC diagnostic pop

using catalogue_rows::allowedFunctionIds;
using catalogue_rows::functionCatalogue;

// The functions that have a default action: the catalogue without "DISABLED".
inline constexpr std::size_t actionFunctionCount = functionCatalogue.size() - 1;
constexpr std::span<const FunctionInfo, actionFunctionCount> actionFunctions() {
    return std::span(functionCatalogue).first<actionFunctionCount>();
}

enum class DeviceFamily { phone, pad };

bool isAllowedFunctionId(std::string_view functionId);

// The record of an id; nothing for an id outside the catalogue. On a pad APP-Skype looks for the iPad
// application first and is offered in the App Store as such, so every caller names the device's family.
const FunctionInfo* functionInfoForId(std::string_view functionId, DeviceFamily family);

// The action in force after a settings read: the stored action (or the function's default when nothing is
// stored) when the function offers it, otherwise the action already in force.
Action resolveDefaultAction(const FunctionInfo& function, std::optional<std::string_view> stored,
                            Action inForce);

// What the build checks of the rows, so that a row that does not fit the code never compiles.
namespace catalogue_checks {

constexpr bool listsEachOnce(std::span<const std::string_view> ids) {
    for (const auto& row : functionCatalogue)
        if (std::ranges::count(ids, row.functionId) != 1)
            return false;
    return ids.size() == functionCatalogue.size();
}

constexpr bool hasUniqueActions(const FunctionInfo& row) {
    for (const auto& entry : row.actions)
        if (std::ranges::count(row.actions, entry.action, &ActionRow::action) != 1 || entry.menuTitle.empty())
            return false;
    return true;
}

constexpr bool menuOrderListsTheActionSet(const FunctionInfo& row) {
    if (row.menuOrder.empty())
        return true;
    const auto set = row.actionSet();
    return row.menuOrder.size() == set.size() &&
           std::ranges::all_of(set, [&](Action action) { return row.menuOrder.contains(action); });
}

constexpr bool usesItsServices(const FunctionInfo& row) {
    const bool system = row.functionId.starts_with("SYS-");
    const Services& services = row.services;
    const bool picks = std::ranges::any_of(row.actions, [](const ActionRow& entry) {
        return entry.step == Step::takePicture || entry.step == Step::chooseFromLibrary;
    });
    const bool hasSheet =
        std::ranges::any_of(row.actions, [](const ActionRow& e) { return e.step == Step::sheet; });
    const bool posts = services.sheet == Sheet::socialPost;
    return system == (services.sheet != Sheet::none) && hasSheet == system && picks == system &&
           system == (services.pickerMode != PickerMode::none) && posts == !services.serviceType.empty() &&
           posts == row.paneIcon.sharedPostIcon;
}

constexpr bool isWhole(const FunctionInfo& row) {
    const bool store = row.offersAction(Action::AppStore);
    return row.offersAction(row.defaultAction) && hasUniqueActions(row) && menuOrderListsTheActionSet(row) &&
           row.targetBundleIds.size() == 1 && row.appStoreName.has_value() == row.appStorePath.has_value() &&
           (!store || (row.functionId.starts_with("APP-") && row.appStorePath)) &&
           !row.paneIcon.file.empty() && usesItsServices(row) &&
           row.defaultActionKey.ends_with(row.functionId);
}

// Each application's tile is drawn by exactly one row.
constexpr bool drawsEachTileOnce() {
    for (const auto& row : actionFunctions()) {
        const auto drawn = std::ranges::count_if(actionFunctions(), [&](const FunctionInfo& other) {
            return other.tile && other.targetBundleIds.front() == row.targetBundleIds.front();
        });
        if (drawn != 1)
            return false;
    }
    return true;
}

// The system functions' picker modes are exactly the documented 0 to 6, each once.
constexpr bool picksInEachModeOnce() {
    for (int mode = int(PickerMode::share); mode <= int(PickerMode::twitterPost); ++mode)
        if (std::ranges::count(actionFunctions(), PickerMode(mode),
                               [](const FunctionInfo& row) { return row.services.pickerMode; }) != 1)
            return false;
    return true;
}

static_assert(listsEachOnce(allowedFunctionIds), "the pane's order must list every row once");
static_assert(allowedFunctionIds.front() == disabledFunctionId);
static_assert(functionCatalogue.back().functionId == disabledFunctionId &&
                  functionCatalogue.back().actions.empty(),
              "\"DISABLED\" ends the catalogue and offers nothing");
static_assert(std::ranges::all_of(actionFunctions(), isWhole), "a row does not fit the code");
static_assert(drawsEachTileOnce(), "every application's tile is drawn by one row");
static_assert(picksInEachModeOnce(), "the picker modes 0 to 6 belong to one system function each");

} // namespace catalogue_checks
