#include "Foundation/NSBundle.h"

#include "Foundation/DeviceRoot.h"
#include "Foundation/EventLog.h"
#include "Foundation/NSStringsFile.h"
#include "Foundation/posix/FileIO.h"
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

std::string NSBundle::localizedStringForKey(std::string_view key, std::string_view value,
                                            std::string_view table) const {
    const auto& strings = stringTable(table);
    if (const auto found = strings.find(key); found != strings.end())
        return found->second;
    return std::string(value.empty() ? key : value);
}

const std::map<std::string, std::string, std::less<>>& NSBundle::stringTable(std::string_view table) const {
    // As in Foundation, no table name means the default table.
    const std::string name(table.empty() ? "Localizable" : table);
    if (const auto cached = _tables.find(name); cached != _tables.end())
        return cached->second;
    const auto path = DeviceRoot::resolve(_path + "/en.lproj/" + name + ".strings");
    const auto bytes = FileIO::readFile(path, maximumStringsFileSize);
    auto parsed = bytes ? parseStringsFile(*bytes) : std::nullopt;
    return _tables
        .emplace(name, std::move(parsed).value_or(std::map<std::string, std::string, std::less<>>()))
        .first->second;
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
