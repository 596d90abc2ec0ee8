#include "SimulatorFixture.h"
#include "common/FunctionCatalogue.h"
#include "support/DeviceEvents.h"

#include <algorithm>
#include <fstream>
#include <map>
#include <set>

// Every (function, action) pair of the catalogue, run on the device as a person would, against the outcome
// the table every-action.table gives it, under the conditions its row names.
namespace {

struct Row {
    int line = 0;
    std::string function, action, title;
    std::vector<std::string> outcome;
    std::set<std::string, std::less<>> conditions;
};

std::string trimmed(std::string_view text) {
    const auto first = text.find_first_not_of(' ');
    if (first == std::string_view::npos)
        return {};
    return std::string(text.substr(first, text.find_last_not_of(' ') - first + 1));
}

std::vector<std::string> splitOn(const std::string& text, char separator) {
    std::vector<std::string> parts;
    std::istringstream in(text);
    for (std::string part; std::getline(in, part, separator);) {
        if (separator != ' ' || !part.empty())
            parts.push_back(separator == ' ' ? part : trimmed(part));
    }
    return parts;
}

std::vector<Row> readTable() {
    std::ifstream in(ORVANE_ACTION_TABLE);
    std::vector<Row> rows;
    int number = 0;
    for (std::string line; std::getline(in, line);) {
        ++number;
        if (line.empty() || line.starts_with('#'))
            continue;
        const auto columns = splitOn(line, '|');
        if (columns.size() != 5) {
            ADD_FAILURE() << "every-action.table:" << number << ": five columns expected";
            continue;
        }
        const auto conditions = splitOn(columns[4], ' ');
        rows.push_back({number,
                        columns[0],
                        columns[1],
                        columns[2],
                        splitOn(columns[3], ' '),
                        {conditions.begin(), conditions.end()}});
    }
    return rows;
}

// One run of a row: the device and the one condition that differs from the usual.
struct Case {
    const Row* row;
    DeviceFamily family;
    bool installed = true;
    bool landscape = false;
    bool ccDismiss = false;
    bool appStoreEnabled = true;

    std::string describe() const {
        return "every-action.table:" + std::to_string(row->line) + ": " + row->function + " " + row->action +
               (family == DeviceFamily::pad ? " on the iPad" : " on the iPhone") +
               (installed ? "" : ", missing") + (landscape ? ", landscape" : "") +
               (ccDismiss ? ", CC_DISMISS on" : "") + (appStoreEnabled ? "" : ", APP_STORE_ENABLED off");
    }
};

std::vector<Case> casesOf(const Row& row, DeviceFamily family) {
    std::vector<Case> cases;
    {
        cases.push_back({&row, family});
        if (row.conditions.contains("installed"))
            cases.push_back({.row = &row, .family = family, .installed = false});
        if (row.conditions.contains("landscape") || row.conditions.contains("landscape-alert"))
            cases.push_back({.row = &row, .family = family, .landscape = true});
        if (row.conditions.contains("dismiss"))
            cases.push_back({.row = &row, .family = family, .ccDismiss = true});
        if (row.conditions.contains("store-setting"))
            cases.push_back({.row = &row, .family = family, .appStoreEnabled = false});
    }
    return cases;
}

const FunctionInfo& infoOf(const Case& one) {
    return *functionInfoForId(one.row->function, one.family);
}

bool isStoreApplication(const FunctionInfo& info) {
    return info.functionId.starts_with("APP-") && info.appStorePath.has_value();
}

// What a person does to end what the row's outcome shows, and the events that answer adds.
struct Expected {
    std::vector<std::string> events;
    std::string finish;
};

const std::string alertPrefix =
    "controller=UIAlertController presenter=UIViewController animated=true style=alert title=\"\" ";
const std::vector<std::string> warmUp = {"uikit.actionSheet.shown title=\"\"",
                                         "uikit.actionSheet.dismissed buttonIndex=-1"};

Expected shownAndClosed(std::vector<std::string> before, const std::string& controller,
                        const std::vector<std::string>& answer, std::string finish) {
    before.push_back("uikit.presented " + controller);
    before.insert(before.end(), answer.begin(), answer.end());
    before.push_back("uikit.dismissed " + controller);
    return {before, std::move(finish)};
}

Expected appStorePrompt(const FunctionInfo& info) {
    const auto alert = alertPrefix + "message=\"Open App Store to download \\\"" +
                       std::string(*info.appStoreName) +
                       "\\\"?\" actions=\"OK (default, preferred); Cancel (cancel)\"";
    return shownAndClosed({}, alert, {}, "choose Cancel");
}

Expected landscapeAlert() {
    return shownAndClosed(
        {},
        alertPrefix +
            "message=\"Landscape mode is currently not supported.\" actions=\"OK (cancel, preferred)\"",
        {}, "choose OK");
}

std::vector<std::string> closingControlCenter(const Case& one) {
    if (!one.ccDismiss)
        return {};
    return {"springboard.dismissControlCenter animated=true", "controlcenter.closed"};
}

Expected sheet(const Case& one, const std::string& controller, const std::string& properties,
               std::vector<std::string> answer, std::string finish) {
    const auto closing = closingControlCenter(one);
    auto expected = shownAndClosed(
        warmUp, "controller=" + controller + " presenter=UIViewController animated=true " + properties,
        answer, std::move(finish));
    expected.events.insert(expected.events.end(), closing.begin(), closing.end());
    return expected;
}

Expected picker(const std::vector<std::string>& outcome) {
    const auto mode = outcome.at(1);
    const std::string controller =
        "controller=UIImagePickerController presenter=UIViewController animated=true "
        "sourceType=" +
        std::string(outcome.at(2) == "camera" ? "1" : "0") + " mediaTypes=public.image" +
        (outcome.at(3) == "media" ? ",public.movie" : "") + " allowsEditing=0";
    return shownAndClosed(mode == "0" ? std::vector<std::string>{} : warmUp, controller, {"picker.cancelled"},
                          "picker cancel");
}

std::string launchedBundle(const Case& one) {
    const auto& outcome = one.row->outcome;
    const auto onPad = std::find_if(outcome.begin(), outcome.end(),
                                    [](const std::string& word) { return word.starts_with("ipad:"); });
    if (one.family == DeviceFamily::pad && onPad != outcome.end())
        return onPad->substr(5);
    return outcome.at(1);
}

Expected expectedOf(const Case& one) {
    const auto& outcome = one.row->outcome;
    const auto& kind = outcome.at(0);
    const auto& info = infoOf(one);
    const bool orPrompt = std::find(outcome.begin(), outcome.end(), "or-prompt") != outcome.end();
    if (!one.installed && (isStoreApplication(info) || orPrompt))
        return appStorePrompt(info);
    if (!one.installed)
        return {};
    if (one.landscape && one.row->conditions.contains("landscape-alert"))
        return landscapeAlert();
    if (kind == "compose")
        return sheet(one, "SLComposeViewController", "serviceType=" + outcome.at(1) + " images=0",
                     {"social.finished service=" + outcome.at(1) + " result=done"}, "sheet post");
    if (kind == "mail" || kind == "message") {
        const std::string controller =
            kind == "mail" ? "MFMailComposeViewController" : "MFMessageComposeViewController";
        return sheet(one, controller, "attachments=\"\"", {kind + ".finished result=sent"}, "sheet send");
    }
    if (kind == "picker")
        return picker(outcome);
    if (kind == "scanner")
        return shownAndClosed({},
                              "controller=UINavigationController presenter=UIViewController animated=true",
                              {}, "scan cancel");
    if (kind == "launch")
        return {{"springboard.activateApplication bundle=" + launchedBundle(one)}, ""};
    if (kind == "shortcut")
        return {{"springboard.activateShortcutItem type=" + outcome.at(1) +
                 " bundle=" + std::string(info.targetBundleIds.front())},
                ""};
    if (kind == "url")
        return {{"springboard.openURL url=" + outcome.at(1)}, ""};
    if (kind == "store")
        return {{"springboard.openURL url=https://apps.apple.com/app/" + std::string(*info.appStorePath) +
                 " application=com.apple.AppStore"},
                ""};
    ADD_FAILURE() << one.describe() << ": no such outcome " << kind;
    return {};
}

// The long-press menu of the row's function: its rows' titles in table order, "Open in App Store" only with
// APP_STORE_ENABLED on, then "Cancel", preferred.
std::string menuOf(const Case& one, const std::vector<Row>& rows) {
    std::string actions;
    for (const auto& row : rows) {
        if (row.function == one.row->function && (row.action != "AppStore" || one.appStoreEnabled))
            actions += row.title + " (default); ";
    }
    return "controller=UIAlertController presenter=UIViewController animated=true style=\"action sheet\" "
           "title=\"\" message=\"\" actions=\"" +
           actions + "Cancel (cancel, preferred)\"";
}

// What a hold and the row's menu item show: the menu, then what the action shows by a tap. A function of the
// system warms up before its menu, and the warm-up runs once per appearance. A missing store application is
// offered in the App Store instead of the menu; an item the menu lacks is not chosen.
struct ByMenu {
    Expected expected;
    std::string item;
};

ByMenu expectedByMenu(const Case& one, const std::vector<Row>& rows) {
    const auto& info = infoOf(one);
    if (!one.installed && isStoreApplication(info))
        return {appStorePrompt(info), ""};
    const bool warms = info.functionId.starts_with("SYS-");
    const auto menu = shownAndClosed(warms ? warmUp : std::vector<std::string>{}, menuOf(one, rows), {}, "");
    if (one.row->action == "AppStore" && !one.appStoreEnabled)
        return {{menu.events, ""}, "Cancel"};
    auto action = expectedOf(one);
    const auto warmedUp = action.events.size() >= warmUp.size() &&
                          std::equal(warmUp.begin(), warmUp.end(), action.events.begin());
    if (warms && warmedUp)
        action.events.erase(action.events.begin(), action.events.begin() + std::ptrdiff_t(warmUp.size()));
    auto events = menu.events;
    events.insert(events.end(), action.events.begin(), action.events.end());
    return {{events, action.finish}, one.row->title};
}

// The real profile with every application of the catalogue installed, each with the quick actions the
// table names for it, or with the applications of one function taken away.
DeviceProfile withEveryApplication(DeviceProfile profile, DeviceFamily family, const std::vector<Row>& rows) {
    std::map<std::string, std::vector<std::string>, std::less<>> shortcuts;
    for (const auto& info : actionFunctions()) {
        for (const auto bundle : functionInfoForId(info.functionId, family)->targetBundleIds) {
            auto& types = shortcuts[std::string(bundle)];
            for (const auto& row : rows) {
                if (row.function == info.functionId && row.outcome.at(0) == "shortcut")
                    types.push_back(row.outcome.at(1));
            }
        }
    }
    for (const auto& [bundle, types] : shortcuts) {
        const auto installed = std::find_if(profile.applications.begin(), profile.applications.end(),
                                            [&](const auto& app) { return app.bundleIdentifier == bundle; });
        if (installed == profile.applications.end())
            profile.applications.push_back({bundle, true, types, {}});
    }
    return profile;
}

DeviceProfile without(DeviceProfile profile, const FunctionInfo& info) {
    std::erase_if(profile.applications, [&](const auto& app) {
        return std::find(info.targetBundleIds.begin(), info.targetBundleIds.end(), app.bundleIdentifier) !=
               info.targetBundleIds.end();
    });
    return profile;
}

class EveryActionTest : public SimulatorTest {
  protected:
    void SetUp() override { output("install"); }

    // Settings are written only when they change: each write is a file and a notification.
    void write(const std::string& key, const std::string& value) {
        auto& stored = written[key];
        if (stored != value)
            output("defaults write " + key + " " + value);
        stored = value;
    }
    static std::string boolean(bool value) { return value ? "-bool true" : "-bool false"; }

    void prepare(const Case& one) {
        write("FUNCTION_1", one.row->function);
        write("DEFAULT_ACTION_" + one.row->function, one.row->action);
        write("CC_DISMISS", boolean(one.ccDismiss));
        write("APP_STORE_ENABLED", boolean(one.appStoreEnabled));
        write("LANDSCAPE_ENABLED", boolean(false));
        output(std::string("orientation ") + (!one.landscape                    ? "1"
                                              : one.family == DeviceFamily::pad ? "4"
                                                                                : "3"));
        output("open");
        EventLog::clear();
    }

    // A tap, then the answer that ends what it showed; the log holds only what these did.
    void tapAndCheck(const Case& one) {
        prepare(one);
        const auto expected = expectedOf(one);
        output("tap 1");
        if (!expected.finish.empty()) {
            EXPECT_EQ(run(expected.finish).status, 0) << one.describe() << ": " << expected.finish;
        }
        EXPECT_EQ(loggedEvents(), expected.events) << one.describe();
        run("close");
        ++ran;
    }

    // A hold, the row's item chosen from the menu, then the answer that ends what the item showed.
    void holdAndCheck(const Case& one) {
        prepare(one);
        const auto [expected, item] = expectedByMenu(one, rows);
        output("hold 1");
        if (!item.empty()) {
            std::ostringstream out, errors;
            EXPECT_EQ(device->run(std::vector<std::string>{"choose", item}, out, errors), 0)
                << one.describe() << ": " << item << ": " << errors.str();
        }
        if (!expected.finish.empty()) {
            EXPECT_EQ(run(expected.finish).status, 0) << one.describe() << ": " << expected.finish;
        }
        EXPECT_EQ(loggedEvents(), expected.events) << one.describe() << ", by its menu item";
        run("close");
        ++ran;
    }

    // Every case of the device, grouped by the applications they need: all, or all but one function's.
    void walk(const DeviceProfile& real, DeviceFamily family, bool byMenu) {
        ASSERT_FALSE(rows.empty());
        std::map<std::string, std::vector<Case>> byMissing;
        for (const auto& row : rows) {
            for (const auto& one : casesOf(row, family))
                byMissing[one.installed ? "" : row.function].push_back(one);
        }
        const auto everything = withEveryApplication(real, family, rows);
        for (const auto& [missing, cases] : byMissing) {
            useProfile(missing.empty() ? everything
                                       : without(everything, *functionInfoForId(missing, family)));
            for (const auto& one : cases)
                byMenu ? holdAndCheck(one) : tapAndCheck(one);
        }
        std::cout << "ran " << ran << " cases of " << rows.size() << " rows\n";
    }

    std::vector<Row> rows = readTable();
    std::map<std::string, std::string> written;
    int ran = 0;
};

TEST_F(EveryActionTest, TheTableHasOneRowForEveryActionOfTheCatalogue) {
    std::set<std::pair<std::string, std::string>> inCatalogue, inTable;
    for (const auto& info : actionFunctions()) {
        for (const auto action : info.actionSet())
            inCatalogue.emplace(info.functionId, actionName(action));
    }
    for (const auto& row : rows)
        EXPECT_TRUE(inTable.emplace(row.function, row.action).second)
            << "line " << row.line << " repeats a pair";
    EXPECT_EQ(inTable, inCatalogue);
}

DeviceProfile realPad() {
    std::string error;
    const auto pad = readDeviceProfile(ORVANE_PROFILES_DIR "/ipad.plist", error);
    EXPECT_TRUE(pad) << error;
    return pad.value_or(DeviceProfile{});
}

TEST_F(EveryActionTest, EveryActionRunByATapOnTheIPhoneDoesWhatTheTableSaysAndNothingElse) {
    walk(defaultDeviceProfile(), DeviceFamily::phone, false);
}

TEST_F(EveryActionTest, EveryActionRunByATapOnTheIPadDoesWhatTheTableSaysAndNothingElse) {
    walk(realPad(), DeviceFamily::pad, false);
}

TEST_F(EveryActionTest, EveryMenuItemOnTheIPhoneDoesWhatTheTableSaysAndNothingElse) {
    walk(defaultDeviceProfile(), DeviceFamily::phone, true);
}

TEST_F(EveryActionTest, EveryMenuItemOnTheIPadDoesWhatTheTableSaysAndNothingElse) {
    walk(realPad(), DeviceFamily::pad, true);
}

} // namespace
