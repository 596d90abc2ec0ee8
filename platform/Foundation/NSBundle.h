#pragma once

#include "objc/objc-api.h"

#include "Foundation/NSDictionary.h"
#include "Foundation/NSObject.h"
#include "objc/Badge.h"
#include "objc/runtime.h"

#include <cstdint>
#include <map>
#include <memory>
#include <optional>
#include <set>
#include <span>
#include <string>
#include <string_view>
#include <vector>

class FoundationHost;

// A bundle folder on the device: Info.plist, resources, localised string tables and, for a loadable bundle,
// a module (a shared object named by CFBundleExecutable). Paths are device paths.
//
// Loading the module runs its one exported entry point, which registers the module's classes; the principal
// class is then the class named by NSPrincipalClass.
class ORVANE_EXPORT NSBundle : public NSObject {
    OBJC_OBJECT(NSBundle, NSObject)
    // The bundle at that folder; nothing when the folder does not exist. One object per folder per process.
    static std::shared_ptr<NSBundle> bundleWithPath(std::string_view path);
    // The application the process runs: SpringBoard's, "/System/Library/CoreServices/SpringBoard.app", unless
    // the host names another; nothing when its folder does not exist.
    static std::shared_ptr<NSBundle> mainBundle();
    // For hosts.
    static void setMainBundlePath(std::string_view path);
    // The bundle that registered the class; nothing for classes no bundle registered.
    static std::shared_ptr<NSBundle> bundleForClass(Class cls);

    // The folder, without a trailing slash.
    const std::string& bundlePath() const { return _path; }
    const NSDictionary& infoDictionary() const { return _info; }
    std::optional<std::string> bundleIdentifier() const;

    // Loads the module once; answers whether it is loaded. A refusal keeps its reason (the loader's own
    // message when dlopen refused the module) and both go to the event log.
    bool load();
    bool isLoaded() const { return _loaded; }
    // Why the last load failed; empty when it did not.
    const std::string& loadError() const { return _loadError; }
    // Loads the module when needed; nothing when it cannot be loaded or names no registered class.
    Class principalClass();

    // The localisations the bundle has: its "<id>.lproj" folders, by canonical id ("English.lproj" is "en").
    const std::vector<std::string>& localizations() const;
    // The localisation of the bundle's own language: Info.plist's CFBundleDevelopmentRegion, "en" when it
    // names none.
    std::string developmentLocalization() const;
    // Where the bundle's text is looked for, in order: the localisation that preferredLocalizationsFromArray
    // chooses for the device's languages, then the development localisation; only those the bundle has.
    // Chosen once per set of languages and kept.
    const std::vector<std::string>& preferredLocalizations() const;
    // Of `localizations`, the one that the first of `preferences` it can serve asks for: the language itself,
    // then without its region, then the script a Chinese region writes ("zh-TW": "zh-Hant", "zh-CN":
    // "zh-Hans"), then the bare language; a localisation more specific than a preference serves it too.
    // Nothing when no preference can be served.
    static std::optional<std::string>
    preferredLocalizationsFromArray(std::span<const std::string> localizations,
                                    std::span<const std::string> preferences);

    // The text for `key` in "<localisation>.lproj/<table>.strings" of the first of the preferred
    // localisations that has the table. When the table lacks the key: `value` when it is not empty, otherwise
    // the key itself, which is the development language's text.
    std::string localizedStringForKey(std::string_view key, std::string_view value,
                                      std::string_view table) const;

    // For hosts: every key looked up in this bundle in this process, by table, so that the tables can be held
    // against what the code asks for.
    using LookedUpKeys = std::map<std::string, std::set<std::string, std::less<>>, std::less<>>;
    const LookedUpKeys& lookedUpKeys(Badge<FoundationHost>) const { return _lookedUp; }

    // The root dictionary of the resource "<name>.plist"; nothing when it is missing or not a readable
    // property-list dictionary. The file is read every time, but parsed again only when its bytes differ
    // from the last parse's: resources seldom change, and reading is much cheaper than parsing.
    std::shared_ptr<const NSDictionary> propertyListResource(std::string_view name) const;

  protected:
    explicit NSBundle(std::string path);

  private:
    using StringTable = std::map<std::string, std::string, std::less<>>;

    bool refuse(std::string reason);
    const StringTable& stringTable(std::string_view table) const;
    const std::vector<std::pair<std::string, std::string>>& lprojFolders() const;
    void forgetLanguageChoiceWhenLanguagesChanged() const;

    std::string _path;
    NSDictionary _info;
    bool _loaded = false;
    std::string _loadError;
    void* _module = nullptr;
    // What was chosen for `_languages`; dropped when the device's languages change.
    mutable std::vector<std::string> _languages;
    // Canonical id and folder name of each localisation, in the ids' order.
    mutable std::optional<std::vector<std::pair<std::string, std::string>>> _lprojFolders;
    mutable std::vector<std::string> _localizations;
    mutable std::optional<std::vector<std::string>> _preferredLocalizations;
    mutable std::map<std::string, StringTable, std::less<>> _tables;
    mutable LookedUpKeys _lookedUp;
    struct ParsedResource {
        std::vector<std::uint8_t> bytes;
        std::shared_ptr<const NSDictionary> dictionary;
    };
    mutable std::map<std::string, ParsedResource, std::less<>> _propertyLists;
};

// The name of the function every module exports; NSBundle::load calls it once after dlopen.
#define NS_BUNDLE_ENTRY_POINT_NAME "NSBundleRegisterClasses"
#define NS_BUNDLE_ENTRY_POINT extern "C" __attribute__((visibility("default"))) void NSBundleRegisterClasses()
