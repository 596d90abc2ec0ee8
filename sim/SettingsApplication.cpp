#include "SettingsApplication.h"

#include "CoreFoundation/CFNumberParsing.h"
#include "Device/DeviceRoot.h"
#include "Foundation/NSBundle.h"
#include "UIKit/UIImage.h"

#include <nlohmann/json.hpp>

#include <algorithm>
#include <filesystem>
#include <variant>
#include <vector>

namespace {

constexpr std::string_view entryFolder = "/Library/PreferenceLoader/Preferences";
constexpr std::string_view bundleFolder = "/Library/PreferenceBundles";

std::string entryBundlePath(const PSSpecifier& entry) {
    return std::string(bundleFolder) + "/" + entry.stringPropertyForKey("bundle") + ".bundle";
}

// The entry plists' names, in the order the list shows them.
std::vector<std::string> entryFileNames() {
    std::vector<std::string> names;
    std::error_code error;
    for (const auto& file : std::filesystem::directory_iterator(DeviceRoot::resolve(entryFolder), error)) {
        if (file.path().extension() == ".plist")
            names.push_back(file.path().filename().string());
    }
    std::ranges::sort(names);
    return names;
}

double numberProperty(const PSSpecifier& specifier, std::string_view key, double fallback) {
    const auto number = std::dynamic_pointer_cast<NSNumber>(specifier.propertyForKey(key));
    return number ? number->doubleValue() : fallback;
}

std::shared_ptr<NSObject> switchValue(std::string_view text) {
    if (text == "on" || text == "true" || text == "yes")
        return NSNumber::numberWithBool(true);
    if (text == "off" || text == "false" || text == "no")
        return NSNumber::numberWithBool(false);
    return nullptr;
}

std::shared_ptr<NSObject> sliderValue(const PSSpecifier& specifier, std::string_view text) {
    const auto value = parseNumber<double>(text, commandLineNumbers);
    if (!value || *value < numberProperty(specifier, "min", 0) ||
        *value > numberProperty(specifier, "max", 1))
        return nullptr;
    return NSNumber::numberWithDouble(*value);
}

std::shared_ptr<NSObject> listValue(const PSSpecifier& specifier, std::string_view text) {
    const auto& values = specifier.values();
    for (std::size_t index = 0; index < values.size(); ++index) {
        if (specifier.titles()[index] == text || values[index]->description() == text)
            return values[index];
    }
    return nullptr;
}

// The value a person gives a control by typing `text`; nothing when the control cannot take it.
std::shared_ptr<NSObject> valueFor(const PSSpecifier& specifier, std::string_view text) {
    switch (specifier.cellType()) {
    case PSSwitchCell:
        return switchValue(text);
    case PSSliderCell:
        return sliderValue(specifier, text);
    case PSLinkListCell:
        return listValue(specifier, text);
    case PSEditTextCell:
        return NSString::stringWithString(std::string(text));
    default:
        return nullptr;
    }
}

// The row of that label; "GROUP/LABEL" names the row within the group of that header. A label that rows of
// several groups share is no one row: the answer names the choices instead. Nothing when no row has it.
std::optional<std::variant<NSIndexPath, std::string>> rowNamed(PSListController& page,
                                                               std::string_view label) {
    const auto slash = label.find('/');
    const std::string_view group =
        slash == std::string_view::npos ? std::string_view() : label.substr(0, slash);
    const std::string_view row = slash == std::string_view::npos ? label : label.substr(slash + 1);
    std::string_view currentGroup;
    std::vector<std::pair<std::string_view, std::shared_ptr<PSSpecifier>>> found;
    for (const auto& specifier : page.specifiers()) {
        if (specifier->cellType() == PSGroupCell)
            currentGroup = specifier->name();
        else if (specifier->name() == row && (group.empty() || group == currentGroup))
            found.emplace_back(currentGroup, specifier);
    }
    if (found.empty())
        return std::nullopt;
    const bool shared =
        std::ranges::any_of(found, [&](const auto& one) { return one.first != found[0].first; });
    if (!shared) {
        const auto path = page.indexPathForSpecifier(*found[0].second);
        return path ? std::optional<std::variant<NSIndexPath, std::string>>(*path) : std::nullopt;
    }
    std::string choices;
    for (const auto& [inGroup, specifier] : found)
        choices += (choices.empty() ? "" : ", ") + std::string(inGroup) + "/" + std::string(row);
    return "\"" + std::string(row) + "\" is in more than one group: name one of " + choices;
}

Json textOrNull(std::string_view text) {
    return text.empty() ? Json() : Json(text);
}

Json cellJson(const UITableViewCell& cell) {
    const auto* row = dynamic_cast<const PSTableCell*>(&cell);
    const bool button = row && row->specifier()->cellType() == PSButtonCell;
    const auto& image = cell.imageView()->image();
    const auto colour = cell.textLabel()->textColor();
    return {{"label", cell.textLabel()->text()},
            {"value", textOrNull(cell.detailTextLabel()->text())},
            {"button", button},
            {"centred", button && row->alignment() == PSTableCellAlignmentCenter},
            {"icon", image ? Json{{"width", image->size().width}, {"height", image->size().height}} : Json()},
            {"red", colour && colour->isEqual(*UIColor::redColor())},
            {"disclosure", cell.accessoryType() == UITableViewCellAccessoryDisclosureIndicator},
            {"chosen", cell.accessoryType() == UITableViewCellAccessoryCheckmark}};
}

void describeCell(const Json& cell, std::ostream& out) {
    out << "  " << cell["label"].get<std::string>();
    if (!cell["value"].is_null())
        out << " = " << cell["value"].get<std::string>();
    if (cell["button"].get<bool>())
        out << "  (button" << (cell["centred"].get<bool>() ? ", centred" : "") << ")";
    if (const auto& icon = cell["icon"]; !icon.is_null())
        out << "  (icon " << icon["width"].get<double>() << " x " << icon["height"].get<double>() << ")";
    if (cell["red"].get<bool>())
        out << "  (red)";
    if (cell["disclosure"].get<bool>())
        out << "  >";
    if (cell["chosen"].get<bool>())
        out << "  (chosen)";
    out << "\n";
}

} // namespace

const PSSpecifiers& SettingsRootController::specifiers() {
    if (_specifiers)
        return *_specifiers;
    _specifiers.emplace();
    _specifiers->push_back(PSSpecifier::make(SettingsApplication::localizedText("Tweaks"), PSGroupCell));
    const auto self = std::static_pointer_cast<PSListController>(shared_from_this());
    for (const auto& name : entryFileNames()) {
        const auto plist = NSDictionary::dictionaryWithContentsOfFile(std::string(entryFolder) + "/" + name);
        const CFPropertyList* entry = plist ? plist->objectForKey("entry") : nullptr;
        std::vector<std::string> skipped;
        if (const NSDictionary* item = entry ? entry->dictionaryValue() : nullptr)
            if (auto specifier = PSSpecifierFromItem(*item, self, skipped, name))
                _specifiers->push_back(std::move(specifier));
    }
    return *_specifiers;
}

void SettingsRootController::viewDidLoad() {
    navigationItem()->setTitle(SettingsApplication::localizedText("Settings"));
    Super::viewDidLoad();
}

std::shared_ptr<UITableViewCell>
SettingsRootController::tableViewCellForRowAtIndexPath(UITableView& table, NSIndexPath indexPath) {
    auto cell = Super::tableViewCellForRowAtIndexPath(table, indexPath);
    const auto entry = specifierAtIndexPath(indexPath);
    const std::string icon = entry ? entry->stringPropertyForKey("icon") : std::string();
    if (cell && !icon.empty())
        cell->imageView()->setImage(UIImage::imageWithContentsOfFile(entryBundlePath(*entry) + "/" + icon));
    return cell;
}

std::shared_ptr<PSListController>
SettingsRootController::controllerForSpecifier(const std::shared_ptr<PSSpecifier>& specifier) {
    const auto bundle = NSBundle::bundleWithPath(entryBundlePath(*specifier));
    if (!bundle || !bundle->load())
        return nullptr;
    const std::string detail = specifier->stringPropertyForKey("detail");
    const Class cls = detail.empty() ? bundle->principalClass() : NSClassFromString(detail);
    auto page = cls ? std::dynamic_pointer_cast<PSListController>(cls->makeInstance()) : nullptr;
    if (page)
        page->setSpecifier(specifier);
    return page;
}

std::string SettingsApplication::localizedText(std::string_view key) {
    const auto bundle = NSBundle::bundleWithPath(bundlePath);
    return bundle ? bundle->localizedStringForKey(key, "", "Localizable") : std::string(key);
}

void SettingsApplication::open() {
    _navigation = PSRootController::make(SettingsRootController::make());
}

std::shared_ptr<PSListController> SettingsApplication::page() const {
    return _navigation ? std::dynamic_pointer_cast<PSListController>(_navigation->topViewController())
                       : nullptr;
}

std::string SettingsApplication::backTitle() const {
    if (!_navigation || _navigation->viewControllers().size() < 2)
        return {};
    const auto& stack = _navigation->viewControllers();
    return stack[stack.size() - 2]->navigationItem()->title();
}

std::optional<std::string> SettingsApplication::tap(std::string_view label) {
    const auto shown = page();
    if (!shown)
        return "the Settings application is not open";
    const auto lookup = rowNamed(*shown, label);
    if (const auto* problem = lookup ? std::get_if<std::string>(&*lookup) : nullptr)
        return *problem;
    if (const auto* path = lookup ? std::get_if<NSIndexPath>(&*lookup) : nullptr) {
        const auto depth = _navigation->viewControllers().size();
        shown->tableViewDidSelectRowAtIndexPath(*shown->table(), *path);
        const auto row = shown->specifierAtIndexPath(*path);
        const bool opensPage = row->cellType() == PSLinkCell || row->cellType() == PSLinkListCell;
        if (opensPage && _navigation->viewControllers().size() == depth)
            return "\"" + std::string(label) + "\" opened nothing";
        return std::nullopt;
    }
    const auto& button = shown->navigationItem()->rightBarButtonItem();
    if (button && button->title() == label) {
        button->press();
        return std::nullopt;
    }
    return "no row \"" + std::string(label) + "\" on this page";
}

std::optional<std::string> SettingsApplication::set(std::string_view label, std::string_view text) {
    const auto shown = page();
    if (!shown)
        return "the Settings application is not open";
    const auto lookup = rowNamed(*shown, label);
    if (!lookup)
        return "no row \"" + std::string(label) + "\" on this page";
    if (const auto* problem = std::get_if<std::string>(&*lookup))
        return *problem;
    const auto path = std::get<NSIndexPath>(*lookup);
    const auto specifier = shown->specifierAtIndexPath(path);
    const auto value = valueFor(*specifier, text);
    if (!value)
        return "\"" + std::string(label) + "\" cannot take " + std::string(text);
    shown->setPreferenceValue(value, *specifier);
    // The control shows what the finger set; the page itself is not read again.
    if (auto* cell = dynamic_cast<PSTableCell*>(shown->table()->cellForRowAtIndexPath(path).get()))
        cell->setValue(value);
    return std::nullopt;
}

bool SettingsApplication::back() {
    return _navigation && _navigation->popViewControllerAnimated(true) != nullptr;
}

Json SettingsApplication::pageJson() const {
    const auto shown = page();
    if (!shown)
        return nullptr;
    const auto& item = shown->navigationItem();
    auto groups = Json::array();
    for (const auto& section : shown->table()->sections()) {
        auto rows = Json::array();
        for (const auto& cell : section.cells)
            rows.push_back(cellJson(*cell));
        groups.push_back({{"header", section.header ? Json(*section.header) : Json()},
                          {"rows", std::move(rows)},
                          {"footer", section.footer ? Json(*section.footer) : Json()}});
    }
    return {{"title", item->title()},
            {"back", textOrNull(backTitle())},
            {"button", item->rightBarButtonItem() ? Json(item->rightBarButtonItem()->title()) : Json()},
            {"groups", std::move(groups)}};
}

void SettingsApplication::describe(std::ostream& out) const {
    const auto shown = pageJson();
    if (shown.is_null())
        return;
    out << "page " << shown["title"].get<std::string>();
    if (!shown["back"].is_null())
        out << "  < " << shown["back"].get<std::string>();
    if (!shown["button"].is_null())
        out << "  [" << shown["button"].get<std::string>() << "]";
    out << "\n";
    for (const auto& group : shown["groups"]) {
        out << "group"
            << (group["header"].is_null() ? std::string() : " " + group["header"].get<std::string>()) << "\n";
        for (const auto& cell : group["rows"])
            describeCell(cell, out);
        if (!group["footer"].is_null())
            out << "  footer: " << group["footer"].get<std::string>() << "\n";
    }
}
