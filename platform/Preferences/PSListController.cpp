#include "Preferences/PSListController.h"

#include "CoreFoundation/CFNotificationCenter.h"
#include "Device/EventLog.h"
#include "Foundation/NSBundle.h"
#include "Foundation/NSPropertyListSerialization.h"

namespace {

const PSSpecifiers noSpecifiers;

bool showsValue(PSCellType type) {
    return type == PSSwitchCell || type == PSSliderCell || type == PSLinkListCell || type == PSEditTextCell;
}

std::string domainPath(const PSSpecifier& specifier) {
    const std::string domain = specifier.stringPropertyForKey("defaults");
    if (domain.empty() || domain.find('/') != std::string::npos)
        return {};
    return "/var/mobile/Library/Preferences/" + domain + ".plist";
}

// What a person reads on a row, in the device's language: the bundle's table named after the plist holds
// the titles, footers and choices' titles, keyed by the plist's own (English) text.
void localize(PSSpecifier& specifier, const NSBundle& bundle, std::string_view table) {
    const auto localized = [&](const std::string& text) {
        return text.empty() ? text : bundle.localizedStringForKey(text, "", table);
    };
    specifier.setName(localized(specifier.name()));
    if (const std::string footer = specifier.stringPropertyForKey("footerText"); !footer.empty())
        specifier.setPropertyForKey(NSString::stringWithString(localized(footer)), "footerText");
    std::vector<std::string> titles;
    for (const auto& title : specifier.titles())
        titles.push_back(localized(title));
    specifier.setValues(specifier.values(), std::move(titles));
}

} // namespace

PSListController::PSListController() : _table(UITableView::make(UITableViewStyleGrouped)) {
    _table->setDataSource(this);
}

const PSSpecifiers& PSListController::specifiers() {
    return _specifiers ? *_specifiers : noSpecifiers;
}

PSSpecifiers PSListController::loadSpecifiersFromPlistName(std::string_view name,
                                                           const std::shared_ptr<PSListController>& target) {
    const auto bundle = NSBundle::bundleForClass(NSClassFromString(className()));
    if (!bundle)
        return {};
    const std::string path = bundle->bundlePath() + "/" + std::string(name) + ".plist";
    const auto plist = bundle->propertyListResource(name);
    auto loaded = PSSpecifiersFromPlist(plist ? *plist : NSDictionary(), target);
    if (!plist)
        loaded.skipped = {"no readable property list"};
    for (const auto& skipped : loaded.skipped)
        EventLog::record("preferences.skipped", {{"plist", path}, {"what", skipped}});
    for (const auto& specifier : loaded.specifiers)
        localize(*specifier, *bundle, name);
    return std::move(loaded.specifiers);
}

void PSListController::viewDidLoad() {
    Super::viewDidLoad();
    if (_specifier)
        navigationItem()->setTitle(_specifier->name());
}

void PSListController::viewWillAppear(bool animated) {
    Super::viewWillAppear(animated);
    reload();
    EventLog::record("preferences.page", {{"class", className()}, {"title", navigationItem()->title()}});
}

void PSListController::reload() {
    willReload();
    _table->reloadData();
    didReload();
}

std::vector<PSListController::Group> PSListController::groups() {
    std::vector<Group> found;
    for (const auto& specifier : specifiers()) {
        if (specifier->cellType() == PSGroupCell)
            found.push_back({specifier, {}});
        else if (found.empty())
            found.push_back({nullptr, {specifier}});
        else
            found.back().rows.push_back(specifier);
    }
    return found;
}

std::shared_ptr<PSSpecifier> PSListController::specifierAtIndexPath(NSIndexPath indexPath) {
    const auto all = groups();
    if (indexPath.section >= all.size() || indexPath.row >= all[indexPath.section].rows.size())
        return nullptr;
    return all[indexPath.section].rows[indexPath.row];
}

std::optional<NSIndexPath> PSListController::indexPathForSpecifier(const PSSpecifier& specifier) {
    const auto all = groups();
    for (std::size_t section = 0; section < all.size(); ++section) {
        for (std::size_t row = 0; row < all[section].rows.size(); ++row) {
            if (all[section].rows[row].get() == &specifier)
                return NSIndexPath{section, row};
        }
    }
    return std::nullopt;
}

std::shared_ptr<NSObject> PSListController::readPreferenceValue(const PSSpecifier& specifier) {
    const auto target = specifier.target();
    if (target && target.get() != this)
        return target->readPreferenceValue(specifier);
    const std::string path = domainPath(specifier);
    const auto domain = path.empty() ? std::nullopt : NSDictionary::dictionaryWithContentsOfFile(path);
    const CFPropertyList* stored =
        domain ? domain->objectForKey(specifier.stringPropertyForKey("key")) : nullptr;
    auto value = stored ? NSObjectFromPropertyList(*stored) : nullptr;
    return value ? value : specifier.propertyForKey("default");
}

void PSListController::setPreferenceValue(const std::shared_ptr<NSObject>& value,
                                          const PSSpecifier& specifier) {
    const auto target = specifier.target();
    if (target && target.get() != this)
        return target->setPreferenceValue(value, specifier);
    const std::string path = domainPath(specifier);
    const auto stored = NSPropertyListFromObject(value);
    if (path.empty() || !stored)
        return;
    NSMutableDictionary domain;
    if (const auto current = NSDictionary::dictionaryWithContentsOfFile(path))
        domain.addEntriesFromDictionary(*current);
    domain.setObject(*stored, specifier.stringPropertyForKey("key"));
    const std::string notification = specifier.stringPropertyForKey("PostNotification");
    if (domain.writeToFile(path, true) && !notification.empty())
        CFNotificationCenterPostNotification(CFNotificationCenterGetDarwinNotifyCenter(), notification,
                                             nullptr, nullptr, true);
}

std::shared_ptr<PSListController>
PSListController::controllerForSpecifier(const std::shared_ptr<PSSpecifier>& specifier) {
    const std::string detail = specifier->stringPropertyForKey("detail");
    std::shared_ptr<PSListController> page;
    if (const Class cls = NSClassFromString(detail))
        page = std::dynamic_pointer_cast<PSListController>(cls->makeInstance());
    else if (specifier->cellType() == PSLinkListCell)
        page = PSListItemsController::make();
    if (page)
        page->setSpecifier(specifier);
    return page;
}

void PSListController::tableViewDidSelectRowAtIndexPath(UITableView&, NSIndexPath indexPath) {
    const auto specifier = specifierAtIndexPath(indexPath);
    if (!specifier)
        return;
    if (specifier->cellType() == PSButtonCell) {
        if (const auto target = specifier->target())
            target->performAction(specifier->stringPropertyForKey("action"));
        return;
    }
    if (specifier->cellType() != PSLinkCell && specifier->cellType() != PSLinkListCell)
        return;
    const auto navigation = std::dynamic_pointer_cast<PSRootController>(navigationController());
    const auto page = navigation ? controllerForSpecifier(specifier) : nullptr;
    if (page)
        navigation->showPage(page);
}

bool PSListController::performAction(std::string_view) {
    return false;
}

std::size_t PSListController::numberOfSectionsInTableView(const UITableView&) {
    return groups().size();
}

std::size_t PSListController::tableViewNumberOfRowsInSection(const UITableView&, std::size_t section) {
    const auto all = groups();
    return section < all.size() ? all[section].rows.size() : 0;
}

std::shared_ptr<UITableViewCell> PSListController::tableViewCellForRowAtIndexPath(UITableView&,
                                                                                  NSIndexPath indexPath) {
    const auto specifier = specifierAtIndexPath(indexPath);
    if (!specifier)
        return nullptr;
    auto cell = PSTableCell::make(specifier);
    if (showsValue(specifier->cellType()))
        cell->setValue(readPreferenceValue(*specifier));
    return cell;
}

std::optional<std::string> PSListController::tableViewTitleForHeaderInSection(const UITableView&,
                                                                              std::size_t section) {
    const auto all = groups();
    if (section >= all.size() || !all[section].group || all[section].group->name().empty())
        return std::nullopt;
    return all[section].group->name();
}

std::optional<std::string> PSListController::tableViewTitleForFooterInSection(const UITableView&,
                                                                              std::size_t section) {
    const auto all = groups();
    if (section >= all.size() || !all[section].group)
        return std::nullopt;
    const std::string footer = all[section].group->stringPropertyForKey("footerText");
    return footer.empty() ? std::nullopt : std::optional(footer);
}

const PSSpecifiers& PSListItemsController::specifiers() {
    if (_specifiers)
        return *_specifiers;
    _specifiers.emplace();
    const auto list = specifier();
    if (!list)
        return *_specifiers;
    _specifiers->push_back(PSSpecifier::make(std::string(), PSGroupCell));
    const auto self = std::static_pointer_cast<PSListController>(shared_from_this());
    for (std::size_t index = 0; index < list->values().size(); ++index) {
        auto row = PSSpecifier::make(list->titles()[index], PSListItemCell);
        row->setValues({list->values()[index]}, {list->titles()[index]});
        row->setTarget(self);
        _specifiers->push_back(std::move(row));
    }
    return *_specifiers;
}

void PSListItemsController::willReload() {
    _chosen = specifier() ? readPreferenceValue(*specifier()) : nullptr;
}

std::shared_ptr<UITableViewCell>
PSListItemsController::tableViewCellForRowAtIndexPath(UITableView& table, NSIndexPath indexPath) {
    auto cell = Super::tableViewCellForRowAtIndexPath(table, indexPath);
    const auto row = specifierAtIndexPath(indexPath);
    if (cell && row && !row->values().empty() && NSObjectsEqualAsValues(row->values().front(), _chosen))
        cell->setAccessoryType(UITableViewCellAccessoryCheckmark);
    return cell;
}

void PSListItemsController::tableViewDidSelectRowAtIndexPath(UITableView&, NSIndexPath indexPath) {
    const auto row = specifierAtIndexPath(indexPath);
    if (!row || row->values().empty() || !specifier())
        return;
    setPreferenceValue(row->values().front(), *specifier());
    reload();
}

void PSRootController::init() {
    Super::init();
    if (const auto root = topViewController())
        root->loadViewIfNeeded();
    viewWillAppear(false);
}

void PSRootController::showPage(const std::shared_ptr<PSListController>& page) {
    pushViewController(page);
    page->loadViewIfNeeded();
    page->viewWillAppear(true);
}
