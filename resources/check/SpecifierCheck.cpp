#include "SpecifierCheck.h"

#include "Foundation/NSDictionary.h"
#include "Foundation/NSStringsFile.h"
#include "common/FunctionCatalogue.h"
#include "common/SectionSettings.h"
#include "common/SettingsWriter.h"

#include <algorithm>
#include <map>
#include <optional>
#include <set>

namespace {

struct RequiredButton {
    std::string_view id;
    std::string_view action;
};

struct Requirements {
    std::string_view groupId;
    std::vector<RequiredButton> buttons;
    std::vector<std::string_view> actions;
    std::vector<std::string_view> links;
    std::vector<std::string_view> keys;
};

std::vector<std::string_view> joined(std::initializer_list<std::span<const std::string_view>> parts) {
    std::vector<std::string_view> all;
    for (const auto part : parts)
        all.insert(all.end(), part.begin(), part.end());
    return all;
}

constexpr std::string_view rootOnlyKeys[] = {"ICON_SIZE",       "ICON_STYLE",       "ROUNDED_ICON",
                                             "VIEW_HEIGHT",     "CC_DISMISS",       "APP_STORE_ENABLED",
                                             "SHOW_SEPARATORS", "LANDSCAPE_ENABLED"};

std::optional<Requirements> requirementsOf(std::string_view name) {
    if (name == "OrvanePrefs")
        return Requirements{
            "ABOUT",
            {{"RESET_BUTTONS", "resetButtons"}, {"RESET_HEIGHT", "resetHeight"}, {"RESET_ALL", "resetAll"}},
            {"followTwitter", "followWeibo"},
            {"DefaultActionsListController", "ColorsListController"},
            joined({functionSlotKeys, rootOnlyKeys})};
    if (name == "DefaultActions")
        return Requirements{
            "GROUP", {{"RESET_DEFAULTS", "resetDefaults"}}, {}, {}, joined({SettingsKeys::defaultActions})};
    if (name == "Colors")
        return Requirements{
            "GROUP",
            {{"RESET_BUTTON_ALPHA", "resetButtonAlpha"},
             {"RESET_BACKGROUND_COLOR", "resetBackgroundColor"},
             {"RESET_SEPARATOR_COLOR", "resetSeparatorColor"}},
            {},
            {},
            joined({SettingsKeys::buttonAlpha, SettingsKeys::backgroundColor, SettingsKeys::separatorColor})};
    return std::nullopt;
}

// The line of each element of the root's "items" array, from the XML text; empty for a binary plist.
std::vector<int> itemLines(std::span<const std::uint8_t> bytes) {
    const std::string_view text(reinterpret_cast<const char*>(bytes.data()), bytes.size());
    std::vector<int> lines;
    const auto items = text.find("<key>items</key>");
    if (items == std::string_view::npos)
        return lines;
    int line = 1 + static_cast<int>(std::count(text.begin(), text.begin() + items, '\n'));
    int depth = 0;
    for (auto at = items + 1; at < text.size(); ++at) {
        if (text[at] == '\n')
            ++line;
        if (text[at] != '<')
            continue;
        const auto tag = text.substr(at, text.find('>', at) - at + 1);
        const bool opens = tag == "<array>" || tag == "<dict>";
        const bool closes = tag == "</array>" || tag == "</dict>";
        const bool element =
            opens || tag == "<dict/>" ||
            (!closes && tag.size() > 1 && tag[1] != '/' && tag[1] != '!' && tag.substr(0, 5) != "<key>");
        if (depth == 1 && element)
            lines.push_back(line);
        depth += opens ? 1 : closes ? -1 : 0;
        if (depth == 0 && closes)
            break;
    }
    return lines;
}

std::string quoted(const CFPropertyList& value) {
    if (const auto* text = value.stringValue())
        return "\"" + *text + "\"";
    if (const auto number = value.integerValue())
        return std::to_string(*number);
    if (const auto real = value.doubleValue())
        return std::to_string(*real);
    if (const auto flag = value.boolValue(); flag && value.isBoolean())
        return *flag ? "true" : "false";
    return "a value of another kind";
}

// Reals are compared as the section reads them, in single precision.
bool sameSetting(const CFPropertyList& given, const CFPropertyList& store) {
    if (store.isReal())
        return (given.isReal() || given.isInteger()) && given.floatValue() == store.floatValue();
    return given == store;
}

std::string text(const NSDictionary& item, std::string_view key) {
    const CFPropertyList* value = item.objectForKey(key);
    const std::string* string = value ? value->stringValue() : nullptr;
    return string ? *string : std::string();
}

std::vector<CFPropertyList> arrayOf(const NSDictionary& item, std::string_view key) {
    const CFPropertyList* value = item.objectForKey(key);
    const auto* array = value ? value->arrayValue() : nullptr;
    return array ? *array : std::vector<CFPropertyList>();
}

template <typename Strings> std::vector<CFPropertyList> stringList(const Strings& strings) {
    std::vector<CFPropertyList> list;
    for (const auto string : strings)
        list.push_back(CFPropertyList::string(std::string(string)));
    return list;
}

// The function's action set as the specifiers spell it.
std::vector<CFPropertyList> actionNamesOf(const FunctionInfo& function) {
    std::vector<CFPropertyList> list;
    for (const Action action : function.actionSet())
        list.push_back(CFPropertyList::string(std::string(actionName(action))));
    return list;
}

bool isValueCell(std::string_view cell) {
    return cell == "PSSwitchCell" || cell == "PSSliderCell" || cell == "PSLinkListCell" ||
           cell == "PSEditTextCell";
}

bool isKnownCell(std::string_view cell) {
    return isValueCell(cell) || cell == "PSGroupCell" || cell == "PSLinkCell" || cell == "PSButtonCell" ||
           cell == "PSStaticTextCell";
}

class Checker {
  public:
    Checker(Requirements requirements, std::vector<int> lines)
        : _requirements(std::move(requirements)), _lines(std::move(lines)) {}

    void checkItem(std::size_t index, const NSDictionary& item) {
        _index = index;
        const std::string cell = text(item, "cell");
        if (!isKnownCell(cell))
            return problem("has no known \"cell\" (" + cell + ")");
        if (isValueCell(cell))
            checkValueControl(cell, item);
        if (cell == "PSButtonCell" && text(item, "action").empty())
            problem("is a button without an \"action\"");
        if (cell == "PSLinkCell" && text(item, "detail").empty())
            problem("is a link without a \"detail\" controller");
        noteIds(cell, item);
    }

    void checkWhole() {
        _index = std::nullopt;
        if (!_groupFound)
            problem("has no group with the id \"" + std::string(_requirements.groupId) + "\"");
        for (const auto& button : _requirements.buttons) {
            if (!_ids.contains(std::string(button.id)))
                problem("has no button with the id \"" + std::string(button.id) + "\"");
        }
        for (const auto action : _requirements.actions) {
            if (!_actions.contains(std::string(action)))
                problem("has no button that runs " + std::string(action));
        }
        for (const auto link : _requirements.links) {
            if (!_links.contains(std::string(link)))
                problem("has no link to " + std::string(link));
        }
        for (const auto key : _requirements.keys) {
            if (!_keys.contains(std::string(key)))
                problem("has no control for " + std::string(key));
        }
    }

    std::vector<SpecifierProblem> problems() && { return std::move(_problems); }

  private:
    void problem(const std::string& message) {
        const int line = !_index ? 1 : *_index < _lines.size() ? _lines[*_index] : 0;
        const std::string where = _index ? "item " + std::to_string(*_index + 1) + " " : "the plist ";
        _problems.push_back({line, where + message});
    }

    void checkValueControl(const std::string& cell, const NSDictionary& item) {
        const std::string key = text(item, "key");
        const auto storeDefault = settingsDefault(key);
        if (!storeDefault)
            return problem("controls \"" + key + "\", which is no settings key");
        if (!_keys.insert(key).second)
            problem("controls " + key + " a second time");
        if (!std::ranges::count(_requirements.keys, key))
            problem("controls " + key + ", which belongs on another page");
        const CFPropertyList* given = item.objectForKey("default");
        if (!given || !sameSetting(*given, *storeDefault))
            problem("has the default " + (given ? quoted(*given) : std::string("(none)")) + " for " + key +
                    "; the settings store's is " + quoted(*storeDefault));
        if (text(item, "defaults") != "com.velquin.orvane" ||
            text(item, "PostNotification") != settingsChangedNotification)
            problem("must name the settings domain and the change notification");
        if (cell == "PSLinkListCell")
            checkList(key, item, *storeDefault);
        if (cell == "PSSliderCell")
            checkSlider(key, item, *storeDefault);
    }

    void checkList(const std::string& key, const NSDictionary& item, const CFPropertyList& storeDefault) {
        const auto values = arrayOf(item, "validValues");
        if (values.empty() || arrayOf(item, "validTitles").size() != values.size())
            return problem("needs as many \"validTitles\" as \"validValues\" for " + key);
        if (std::ranges::count(functionSlotKeys, key)) {
            if (values != stringList(allowedFunctionIds))
                problem("must offer the catalogue's function ids, in order, for " + key);
            if (text(item, "detail") != "IconListItemsController")
                problem("must pick " + key + " with IconListItemsController");
        }
        for (const FunctionInfo& function : actionFunctions()) {
            if (function.defaultActionKey == key && values != actionNamesOf(function))
                problem("must offer the action set of " + std::string(function.functionId) + ", in order");
        }
        if (std::ranges::find_if(values, [&](const auto& v) { return sameSetting(v, storeDefault); }) ==
            values.end())
            problem("does not offer the default of " + key + " among its values");
    }

    void checkSlider(const std::string& key, const NSDictionary& item, const CFPropertyList& storeDefault) {
        const CFPropertyList* low = item.objectForKey("min");
        const CFPropertyList* high = item.objectForKey("max");
        const auto lowest = low ? low->floatValue() : std::nullopt;
        const auto highest = high ? high->floatValue() : std::nullopt;
        const auto middle = storeDefault.floatValue();
        if (!lowest || !highest || !middle || *lowest > *middle || *middle > *highest)
            problem("needs a \"min\" and a \"max\" around the default of " + key);
    }

    void noteIds(const std::string& cell, const NSDictionary& item) {
        const std::string id = text(item, "id");
        if (cell == "PSGroupCell" && id == _requirements.groupId)
            _groupFound = true;
        if (cell == "PSLinkCell")
            _links.insert(text(item, "detail"));
        if (cell != "PSButtonCell")
            return;
        const std::string action = text(item, "action");
        _actions.insert(action);
        if (id.empty())
            return;
        _ids.insert(id);
        for (const auto& button : _requirements.buttons) {
            if (button.id == id && button.action != action)
                problem("with the id " + id + " must run " + std::string(button.action));
        }
    }

    Requirements _requirements;
    std::vector<int> _lines;
    std::optional<std::size_t> _index;
    bool _groupFound = false;
    std::set<std::string> _ids, _actions, _links, _keys;
    std::vector<SpecifierProblem> _problems;
};

} // namespace

std::vector<SpecifierProblem> checkSpecifierPlist(std::string_view name,
                                                  std::span<const std::uint8_t> bytes) {
    auto requirements = requirementsOf(name);
    if (!requirements)
        return {{1, "is no specifier plist of the pane"}};
    const auto root = NSDictionary::dictionaryWithPropertyListData(bytes);
    const CFPropertyList* items = root ? root->objectForKey("items") : nullptr;
    const auto* list = items ? items->arrayValue() : nullptr;
    if (!list)
        return {{1, "is not a property list with an \"items\" array"}};
    Checker checker(std::move(*requirements), itemLines(bytes));
    for (std::size_t index = 0; index < list->size(); ++index) {
        const NSDictionary* item = (*list)[index].dictionaryValue();
        if (item)
            checker.checkItem(index, *item);
        else
            checker.checkItem(index, NSDictionary());
    }
    checker.checkWhole();
    return std::move(checker).problems();
}

std::vector<std::string> placeholdersOf(std::string_view text) {
    std::vector<std::string> found;
    for (auto at = text.find('%'); at != std::string_view::npos; at = text.find('%', at)) {
        const auto end = text.find_first_of("@dDiuUxXoOfeEgGcCsSpaA%", at + 1);
        if (end == std::string_view::npos)
            break;
        if (text[end] != '%' || end != at + 1)
            found.emplace_back(text.substr(at, end - at + 1));
        at = end + 1;
    }
    return found;
}

namespace {

// The texts of a plist that a person reads: what its items show as title, footer and choices.
std::vector<std::string> shownTexts(const NSDictionary& plist) {
    std::vector<std::string> texts;
    const auto add = [&texts](const std::string& shown) {
        if (!shown.empty() && !std::ranges::count(texts, shown))
            texts.push_back(shown);
    };
    const CFPropertyList* items = plist.objectForKey("items");
    for (const auto& entry :
         items && items->arrayValue() ? *items->arrayValue() : std::vector<CFPropertyList>()) {
        const NSDictionary* item = entry.dictionaryValue();
        if (!item)
            continue;
        add(text(*item, "label"));
        add(text(*item, "footerText"));
        for (const auto& title : arrayOf(*item, "validTitles"))
            add(title.stringValue() ? *title.stringValue() : std::string());
    }
    return texts;
}

} // namespace

std::string escapedText(std::string_view text) {
    std::string escaped;
    for (const char character : text) {
        if (character == '"' || character == '\\')
            escaped += '\\';
        escaped += character == '\n' ? std::string("\\n") : std::string(1, character);
    }
    return escaped;
}

std::size_t offsetOfKey(std::string_view table, std::string_view key) {
    return table.find("\"" + escapedText(key) + "\"");
}

int lineOfKey(std::string_view table, std::string_view key) {
    const auto at = offsetOfKey(table, key);
    return at == std::string_view::npos
               ? 1
               : 1 + static_cast<int>(std::count(table.begin(), table.begin() + at, '\n'));
}

std::vector<std::string> specifierTexts(std::span<const std::uint8_t> plist) {
    const auto specifiers = NSDictionary::dictionaryWithPropertyListData(plist);
    return specifiers ? shownTexts(*specifiers) : std::vector<std::string>();
}

std::vector<SpecifierProblem> checkSpecifierStrings(std::span<const std::uint8_t> plist,
                                                    std::span<const std::uint8_t> table) {
    const auto specifiers = NSDictionary::dictionaryWithPropertyListData(plist);
    if (!specifiers)
        return {{1, "translates a plist that cannot be read"}};
    const auto strings = parseStringsFile(table);
    if (!strings)
        return {{1, "is not a strings table"}};
    const std::string_view tableText(reinterpret_cast<const char*>(table.data()), table.size());
    std::vector<SpecifierProblem> problems;
    for (const auto& shown : shownTexts(*specifiers)) {
        if (!strings->contains(shown))
            problems.push_back({1, "has no text for \"" + shown + "\""});
    }
    for (const auto& [key, value] : *strings) {
        if (placeholdersOf(key) != placeholdersOf(value))
            problems.push_back({lineOfKey(tableText, key), "changes the placeholders of \"" + key + "\""});
    }
    return problems;
}
