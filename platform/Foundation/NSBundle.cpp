#include "Foundation/NSBundle.h"

#include "Device/DeviceRoot.h"
#include "Device/EventLog.h"
#include "Device/posix/FileIO.h"
#include "Foundation/NSLocale.h"
#include "Foundation/NSStringsFile.h"
#include "Foundation/posix/ModuleCheck.h"

#include <algorithm>
#include <dlfcn.h>
#include <filesystem>

namespace {

// Keyed by the folder on the host, so that a new device root never hands out another root's bundles. Bundles
// live as long as the process, as the modules they load do.
std::map<std::filesystem::path, std::shared_ptr<NSBundle>>& registry() {
    static std::map<std::filesystem::path, std::shared_ptr<NSBundle>> bundles;
    return bundles;
}

std::string withoutTrailingSlash(std::string_view path) {
    while (path.size() > 1 && path.back() == '/')
        path.remove_suffix(1);
    return std::string(path);
}

const std::string* stringForKey(const NSDictionary& dictionary, std::string_view key) {
    const auto* value = dictionary.objectForKey(key);
    return value ? value->stringValue() : nullptr;
}

// Classes that the entry point registers belong to the loading bundle, even when it throws.
class LoadingBundleScope {
  public:
    explicit LoadingBundleScope(const NSBundle* bundle) { ObjCRuntime::setLoadingBundle(bundle); }
    ~LoadingBundleScope() { ObjCRuntime::setLoadingBundle(nullptr); }
    LoadingBundleScope(const LoadingBundleScope&) = delete;
    LoadingBundleScope& operator=(const LoadingBundleScope&) = delete;
};

} // namespace

NSBundle::NSBundle(std::string path)
    : _path(withoutTrailingSlash(path)),
      _info(NSDictionary::dictionaryWithContentsOfFile(_path + "/Info.plist").value_or(NSDictionary())) {}

std::shared_ptr<NSBundle> NSBundle::bundleWithPath(std::string_view path) {
    const std::string devicePath = withoutTrailingSlash(path);
    const auto folder = DeviceRoot::resolve(devicePath);
    std::error_code error;
    if (devicePath.empty() || !std::filesystem::is_directory(folder, error))
        return nullptr;
    auto& bundle = registry()[folder];
    if (!bundle)
        bundle = NSBundle::make(devicePath);
    return bundle;
}

std::shared_ptr<NSBundle> NSBundle::bundleForClass(Class cls) {
    const NSBundle* owner = cls ? cls->bundle() : nullptr;
    if (!owner)
        return nullptr;
    const auto& bundles = registry();
    const auto found = std::find_if(bundles.begin(), bundles.end(),
                                    [owner](const auto& entry) { return entry.second.get() == owner; });
    return found == bundles.end() ? nullptr : found->second;
}

std::optional<std::string> NSBundle::bundleIdentifier() const {
    const auto* identifier = stringForKey(_info, "CFBundleIdentifier");
    return identifier ? std::optional(*identifier) : std::nullopt;
}

bool NSBundle::refuse(std::string reason) {
    _loadError = std::move(reason);
    EventLog::record("bundle.refused", {{"path", _path}, {"reason", _loadError}});
    return false;
}

bool NSBundle::load() {
    if (_loaded)
        return true;
    const auto* executable = stringForKey(_info, "CFBundleExecutable");
    if (!executable || executable->empty())
        return refuse("Info.plist names no CFBundleExecutable");
    const auto modulePath = DeviceRoot::resolve(_path + "/" + *executable);
    if (const auto problem = moduleProblem(modulePath))
        return refuse(*problem);
    void* module = ::dlopen(modulePath.c_str(), RTLD_NOW | RTLD_LOCAL);
    if (!module) {
        const char* reason = ::dlerror();
        return refuse(reason ? reason : "the module could not be opened");
    }
    const auto entryPoint = reinterpret_cast<void (*)()>(::dlsym(module, NS_BUNDLE_ENTRY_POINT_NAME));
    if (!entryPoint) {
        ::dlclose(module);
        return refuse("the module exports no " NS_BUNDLE_ENTRY_POINT_NAME);
    }
    _module = module;
    _loaded = true;
    _loadError.clear();
    EventLog::record("bundle.loaded", {{"path", _path}, {"executable", *executable}});
    const LoadingBundleScope scope(this);
    entryPoint();
    return true;
}

Class NSBundle::principalClass() {
    if (!load())
        return nullptr;
    const auto* name = stringForKey(_info, "NSPrincipalClass");
    return name ? NSClassFromString(*name) : nullptr;
}

namespace {

// What a preference asks for, most exact first: "zh-Hant-HK", "zh-Hant", "zh"; a Chinese region without a
// script names the script it writes: "zh-TW", "zh-Hant", "zh".
std::vector<std::string> fallbacksOf(const std::string& preference) {
    std::vector<std::string> chain = {preference};
    for (auto end = preference.rfind('-'); end != std::string::npos; end = preference.rfind('-', end - 1)) {
        chain.push_back(preference.substr(0, end));
    }
    const bool chineseWithoutScript =
        preference.starts_with("zh-") && preference.find("-Han") == std::string::npos;
    if (chineseWithoutScript || preference == "zh") {
        const std::string region = preference.size() > 3 ? preference.substr(3, 2) : std::string();
        const bool traditional = region == "TW" || region == "HK" || region == "MO";
        chain.insert(preference == "zh" ? chain.end() : chain.end() - 1, traditional ? "zh-Hant" : "zh-Hans");
    }
    return chain;
}

} // namespace

std::optional<std::string>
NSBundle::preferredLocalizationsFromArray(std::span<const std::string> localizations,
                                          std::span<const std::string> preferences) {
    for (const auto& given : preferences) {
        const auto preference = NSLocale::canonicalLanguageIdentifier(given);
        if (!preference)
            continue;
        for (const auto& wanted : fallbacksOf(*preference)) {
            if (std::ranges::find(localizations, wanted) != localizations.end())
                return wanted;
        }
        const auto narrower = std::ranges::find_if(localizations, [&preference](const std::string& offered) {
            return offered.starts_with(*preference + "-");
        });
        if (narrower != localizations.end())
            return *narrower;
    }
    return std::nullopt;
}

const std::vector<std::pair<std::string, std::string>>& NSBundle::lprojFolders() const {
    if (_lprojFolders)
        return *_lprojFolders;
    _lprojFolders.emplace();
    std::error_code error;
    for (const auto& entry : std::filesystem::directory_iterator(DeviceRoot::resolve(_path), error)) {
        const std::string folder = entry.path().filename().string();
        const auto id =
            folder.ends_with(".lproj")
                ? NSLocale::canonicalLanguageIdentifier(std::string_view(folder).substr(0, folder.size() - 6))
                : std::nullopt;
        if (id && entry.is_directory(error) &&
            std::ranges::find(*_lprojFolders, *id, &std::pair<std::string, std::string>::first) ==
                _lprojFolders->end())
            _lprojFolders->emplace_back(*id, folder);
    }
    std::ranges::sort(*_lprojFolders);
    for (const auto& [id, folder] : *_lprojFolders)
        _localizations.push_back(id);
    return *_lprojFolders;
}

const std::vector<std::string>& NSBundle::localizations() const {
    lprojFolders();
    return _localizations;
}

std::string NSBundle::developmentLocalization() const {
    const auto* region = stringForKey(_info, "CFBundleDevelopmentRegion");
    const auto id = region ? NSLocale::canonicalLanguageIdentifier(*region) : std::nullopt;
    return id.value_or("en");
}

void NSBundle::forgetLanguageChoiceWhenLanguagesChanged() const {
    const auto& languages = NSLocale::preferredLanguages();
    if (_preferredLocalizations && languages == _languages)
        return;
    _languages = languages;
    _tables.clear();
    _preferredLocalizations.emplace();
    if (const auto chosen = preferredLocalizationsFromArray(localizations(), _languages))
        _preferredLocalizations->push_back(*chosen);
    const std::string development = developmentLocalization();
    if (std::ranges::count(localizations(), development) &&
        !std::ranges::count(*_preferredLocalizations, development))
        _preferredLocalizations->push_back(development);
}

const std::vector<std::string>& NSBundle::preferredLocalizations() const {
    forgetLanguageChoiceWhenLanguagesChanged();
    return *_preferredLocalizations;
}

std::string NSBundle::localizedStringForKey(std::string_view key, std::string_view value,
                                            std::string_view table) const {
    _lookedUp[std::string(table.empty() ? "Localizable" : table)].emplace(key);
    const auto& strings = stringTable(table);
    if (const auto found = strings.find(key); found != strings.end())
        return found->second;
    return std::string(value.empty() ? key : value);
}

const NSBundle::StringTable& NSBundle::stringTable(std::string_view table) const {
    forgetLanguageChoiceWhenLanguagesChanged();
    // As in Foundation, no table name means the default table.
    const std::string name(table.empty() ? "Localizable" : table);
    if (const auto cached = _tables.find(name); cached != _tables.end())
        return cached->second;
    StringTable strings;
    for (const auto& localization : *_preferredLocalizations) {
        const auto& folders = lprojFolders();
        const auto folder =
            std::ranges::find(folders, localization, &std::pair<std::string, std::string>::first);
        const auto path = DeviceRoot::resolve(_path + "/" + folder->second + "/" + name + ".strings");
        std::error_code error;
        if (!std::filesystem::exists(path, error))
            continue;
        const auto bytes = FileIO::readFile(path, maximumStringsFileSize);
        auto parsed = bytes ? parseStringsFile(*bytes) : std::nullopt;
        strings = std::move(parsed).value_or(StringTable());
        break;
    }
    return _tables.emplace(name, std::move(strings)).first->second;
}

std::shared_ptr<const NSDictionary> NSBundle::propertyListResource(std::string_view name) const {
    constexpr std::size_t maximumResourceSize = 16 * 1024 * 1024;
    std::vector<std::uint8_t> bytes;
    if (!FileIO::readDeviceFile(_path + "/" + std::string(name) + ".plist", maximumResourceSize, bytes))
        return nullptr;
    auto& cached = _propertyLists[std::string(name)];
    if (!cached.dictionary || cached.bytes != bytes) {
        auto parsed = NSDictionary::dictionaryWithPropertyListData(bytes);
        cached.dictionary = parsed ? std::make_shared<const NSDictionary>(std::move(*parsed)) : nullptr;
        cached.bytes = std::move(bytes);
    }
    return cached.dictionary;
}

namespace {

std::string& mainBundlePath() {
    static std::string path = "/System/Library/CoreServices/SpringBoard.app";
    return path;
}

} // namespace

std::shared_ptr<NSBundle> NSBundle::mainBundle() {
    return bundleWithPath(mainBundlePath());
}

void NSBundle::setMainBundlePath(std::string_view path) {
    mainBundlePath() = path;
}
