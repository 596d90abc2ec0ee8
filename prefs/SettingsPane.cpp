#include "SettingsPane.h"

#include "Foundation/NSBundle.h"
#include "Foundation/NSDateFormatter.h"
#include "Foundation/NSPropertyListSerialization.h"
#include "Foundation/NSURL.h"
#include "UIKit/UIApplication.h"
#include "common/SectionSettings.h"
#include "common/SettingsWriter.h"

#include <algorithm>

namespace {

std::shared_ptr<NSObject> storedOrDefault(const PSSpecifier& specifier, const CFPropertyList* stored) {
    auto value = stored ? NSObjectFromPropertyList(*stored) : nullptr;
    return value ? value : specifier.propertyForKey("default");
}

} // namespace

std::shared_ptr<NSObject> readPaneValue(const PSSpecifier& specifier) {
    const auto stored = readSettingsValue(specifier.stringPropertyForKey("key"), std::nullopt);
    return storedOrDefault(specifier, stored ? &*stored : nullptr);
}

std::shared_ptr<NSObject> readPaneValue(const PSSpecifier& specifier,
                                        const std::optional<NSDictionary>& file) {
    return storedOrDefault(specifier,
                           file ? file->objectForKey(specifier.stringPropertyForKey("key")) : nullptr);
}

void writePaneValue(const std::shared_ptr<NSObject>& value, const PSSpecifier& specifier) {
    const std::string key = specifier.stringPropertyForKey("key");
    if (auto stored = NSPropertyListFromObject(value); stored && !key.empty())
        writeSettingsValue(key, std::move(*stored));
}

std::string aboutNotice(std::string_view currentYear, const NSBundle* paneBundle) {
    const std::string years = currentYear == "2015" ? "2015" : "2015-" + std::string(currentYear);
    std::string notice = paneBundle ? paneBundle->localizedStringForKey(aboutNoticeKey, "", "OrvanePrefs")
                                    : std::string(aboutNoticeKey);
    if (const auto placeholder = notice.find("%@"); placeholder != std::string::npos)
        notice.replace(placeholder, 2, years);
    return notice;
}

PSSpecifiers loadPaneSpecifiers(const std::shared_ptr<PSListController>& page, std::string_view plistName,
                                std::string_view footerGroupId) {
    auto specifiers = page->loadSpecifiersFromPlistName(plistName, page);
    const auto group = std::ranges::find_if(specifiers, [footerGroupId](const auto& specifier) {
        return specifier->stringPropertyForKey("id") == footerGroupId;
    });
    if (group == specifiers.end())
        return specifiers;
    const auto formatter = NSDateFormatter::make();
    formatter->setDateFormat("yyyy");
    const auto paneBundle = NSBundle::bundleForClass(NSClassFromString(page->className()));
    (*group)->setPropertyForKey(
        NSString::stringWithString(aboutNotice(formatter->stringFromDate(NSDateNow()), paneBundle.get())),
        "footerText");
    return specifiers;
}

void openMakerPage(std::string_view url) {
    const auto application = UIApplication::sharedApplication();
    const auto page = NSURL::URLWithString(url);
    if (application && page)
        application->openURL(*page);
}

const PSSpecifiers& OrvanePaneController::specifiers() {
    if (!_specifiers)
        _specifiers = loadPaneSpecifiers(std::static_pointer_cast<PSListController>(shared_from_this()),
                                         plistName(), footerGroupId());
    return *_specifiers;
}

std::shared_ptr<UITableViewCell> OrvanePaneController::tableViewCellForRowAtIndexPath(UITableView& table,
                                                                                      NSIndexPath indexPath) {
    auto cell = Super::tableViewCellForRowAtIndexPath(table, indexPath);
    auto* shown = dynamic_cast<PSTableCell*>(cell.get());
    const auto specifier = specifierAtIndexPath(indexPath);
    if (shown && specifier && std::ranges::count(resetButtonIds(), specifier->stringPropertyForKey("id")))
        shown->setAlignment(PSTableCellAlignmentCenter);
    return cell;
}

std::shared_ptr<NSObject> OrvanePaneController::readPreferenceValue(const PSSpecifier& specifier) {
    return _fileThisReload ? readPaneValue(specifier, *_fileThisReload) : readPaneValue(specifier);
}

void OrvanePaneController::willReload() {
    Super::willReload();
    _fileThisReload = NSDictionary::dictionaryWithContentsOfFile(settingsPath);
}

void OrvanePaneController::didReload() {
    _fileThisReload.reset();
    Super::didReload();
}

void OrvanePaneController::setPreferenceValue(const std::shared_ptr<NSObject>& value,
                                              const PSSpecifier& specifier) {
    writePaneValue(value, specifier);
}

void OrvanePaneController::resetThenReload(SettingsChange (*reset)()) {
    reset();
    reload();
}
