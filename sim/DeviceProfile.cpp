#include "DeviceProfile.h"

#include "Languages.h"

#include "AVFoundation/AVCaptureHost.h"
#include "Device/DeviceRoot.h"
#include "Foundation/FoundationHost.h"
#include "Foundation/NSDictionary.h"
#include "Foundation/NSLocale.h"
#include "MessageUI/MessageUIHost.h"
#include "Social/SocialHost.h"
#include "SpringBoard/SBControlCenterController.h"
#include "SpringBoard/SpringBoard.h"
#include "SpringBoard/SpringBoardHost.h"
#include "UIKit/MediaHost.h"
#include "UIKit/UIKitHost.h"
#include "UIKit/UIScreen.h"

#include <algorithm>
#include <fstream>
#include <functional>
#include <iterator>
#include <map>
#include <sstream>

namespace {

// Reads one key's value into the profile; answers what is wrong with it, or nothing.
using KeyReader = std::function<std::optional<std::string>(const CFPropertyList&, DeviceProfile&)>;

std::optional<double> number(const CFPropertyList& value, double lowest, double highest) {
    const auto integer = value.integerValue();
    const auto real = integer ? std::optional<double>(static_cast<double>(*integer)) : value.doubleValue();
    if (!real || !(*real >= lowest && *real <= highest))
        return std::nullopt;
    return real;
}

std::string range(double lowest, double highest) {
    std::ostringstream text;
    text << "a number from " << lowest << " to " << highest;
    return text.str();
}

std::optional<std::vector<std::string>> strings(const CFPropertyList& value) {
    const auto* array = value.arrayValue();
    if (!array)
        return std::nullopt;
    std::vector<std::string> texts;
    for (const auto& element : *array) {
        if (!element.stringValue())
            return std::nullopt;
        texts.push_back(*element.stringValue());
    }
    return texts;
}

KeyReader numberKey(double lowest, double highest, std::function<void(DeviceProfile&, double)> store) {
    return [=](const CFPropertyList& value, DeviceProfile& profile) -> std::optional<std::string> {
        const auto read = number(value, lowest, highest);
        if (!read)
            return "must be " + range(lowest, highest);
        store(profile, *read);
        return std::nullopt;
    };
}

std::optional<std::string> readName(const CFPropertyList& value, DeviceProfile& profile) {
    if (!value.stringValue())
        return "must be a string";
    profile.name = *value.stringValue();
    return std::nullopt;
}

std::optional<std::string> readIdiom(const CFPropertyList& value, DeviceProfile& profile) {
    const auto* text = value.stringValue();
    if (!text || (*text != "phone" && *text != "pad"))
        return "must be \"phone\" or \"pad\"";
    profile.idiom = *text == "pad" ? UIUserInterfaceIdiomPad : UIUserInterfaceIdiomPhone;
    return std::nullopt;
}

KeyReader booleanKey(bool DeviceProfile::*member) {
    return [=](const CFPropertyList& value, DeviceProfile& profile) -> std::optional<std::string> {
        if (!value.isBoolean())
            return "must be <true/> or <false/>";
        profile.*member = *value.boolValue();
        return std::nullopt;
    };
}

std::optional<std::string> readLibrary(const CFPropertyList& value, DeviceProfile& profile) {
    if (!value.stringValue())
        return "must be a string: a folder of photos and videos, or empty for none";
    profile.library = *value.stringValue();
    return std::nullopt;
}

// Each account a boolean: Mail, Messages, MessageAttachments and the four social services by name.
std::optional<std::string> readAccounts(const CFPropertyList& value, DeviceProfile& profile) {
    static const std::map<std::string, std::string, std::less<>> services = {
        {"Facebook", "com.apple.social.facebook"},
        {"Twitter", "com.apple.social.twitter"},
        {"SinaWeibo", "com.apple.social.sinaweibo"},
        {"TencentWeibo", "com.apple.social.tencentweibo"}};
    const auto* accounts = value.dictionaryValue();
    if (!accounts)
        return "must be a dictionary";
    for (const auto& [key, flag] : accounts->entries()) {
        if (!flag.isBoolean())
            return key + " must be <true/> or <false/>";
        const bool on = *flag.boolValue();
        if (key == "Mail" || key == "Messages" || key == "MessageAttachments") {
            (key == "Mail"       ? profile.mailAccount
             : key == "Messages" ? profile.messages
                                 : profile.messageAttachments) = on;
        } else if (const auto service = services.find(key); service != services.end()) {
            std::erase(profile.socialAccounts, service->second);
            if (on)
                profile.socialAccounts.push_back(service->second);
        } else {
            return key +
                   " is not an account (Mail, Messages, MessageAttachments, Facebook, Twitter, SinaWeibo, "
                   "TencentWeibo)";
        }
    }
    return std::nullopt;
}

std::optional<std::string> readOrientation(const CFPropertyList& value, DeviceProfile& profile) {
    const auto orientation = value.integerValue();
    if (!orientation || *orientation < 0 || *orientation > 4)
        return "must be an integer from 0 to 4 (1, 2 portrait; 3, 4 landscape; 0 unknown)";
    profile.frontMostAppOrientation = static_cast<int>(*orientation);
    return std::nullopt;
}

std::optional<std::string> readApplicationKey(const std::string& key, const CFPropertyList& value,
                                              SpringBoardHost::InstalledApplication& application) {
    if (key == "BundleIdentifier") {
        if (!value.stringValue() || value.stringValue()->empty())
            return "must be a bundle identifier";
        application.bundleIdentifier = *value.stringValue();
    } else if (key == "LaunchEnabled") {
        if (!value.isBoolean())
            return "must be <true/> or <false/>";
        application.launchEnabled = *value.boolValue();
    } else if (key == "StaticShortcutItems" || key == "DynamicShortcutItems") {
        auto types = strings(value);
        if (!types)
            return "must be an array of strings";
        (key == "StaticShortcutItems" ? application.staticShortcutItemTypes
                                      : application.dynamicShortcutItemTypes) = std::move(*types);
    } else {
        return "is not an application key";
    }
    return std::nullopt;
}

std::optional<std::string> readApplication(const NSDictionary& entry,
                                           SpringBoardHost::InstalledApplication& application) {
    for (const auto& [key, value] : entry.entries()) {
        if (const auto problem = readApplicationKey(key, value, application))
            return key + " " + *problem;
    }
    if (application.bundleIdentifier.empty())
        return std::string("has no BundleIdentifier");
    return std::nullopt;
}

std::optional<std::string> readApplications(const CFPropertyList& value, DeviceProfile& profile) {
    const auto* array = value.arrayValue();
    if (!array)
        return "must be an array of dictionaries";
    for (std::size_t index = 0; index < array->size(); ++index) {
        const auto* entry = (*array)[index].dictionaryValue();
        SpringBoardHost::InstalledApplication application;
        const auto error = entry ? readApplication(*entry, application) : "is not a dictionary";
        if (error)
            return "item " + std::to_string(index) + ": " + *error;
        profile.applications.push_back(std::move(application));
    }
    return std::nullopt;
}

std::optional<std::string> readMissingClasses(const CFPropertyList& value, DeviceProfile& profile) {
    const auto names = strings(value);
    if (!names)
        return "must be an array of strings";
    const auto known = SpringBoardHost::classNames();
    for (const auto& name : *names) {
        if (std::find(known.begin(), known.end(), name) == known.end())
            return "\"" + name + "\" is not one of SpringBoard's classes that plug-ins look up";
        profile.missingClasses.insert(name);
    }
    return std::nullopt;
}

// The cameras a device has: "back", "front", both, or none (an empty array).
std::optional<std::string> readCameras(const CFPropertyList& value, DeviceProfile& profile) {
    const auto names = strings(value);
    if (!names)
        return "must be an array of strings";
    profile.cameras.clear();
    for (const auto& name : *names) {
        const auto position = name == "back"    ? AVCaptureDevicePositionBack
                              : name == "front" ? AVCaptureDevicePositionFront
                                                : AVCaptureDevicePositionUnspecified;
        if (position == AVCaptureDevicePositionUnspecified ||
            std::find(profile.cameras.begin(), profile.cameras.end(), position) != profile.cameras.end())
            return "must list \"back\" and \"front\" at most once each";
        profile.cameras.push_back(position);
    }
    return std::nullopt;
}

std::optional<std::string> readLanguages(const CFPropertyList& value, DeviceProfile& profile) {
    const auto given = strings(value);
    if (!given)
        return "must be an array of language ids";
    std::string error;
    profile.languages = parseLanguages(*given, error);
    return profile.languages ? std::nullopt : std::optional("must be an array of language ids: " + error);
}

const std::map<std::string, KeyReader, std::less<>>& keyReaders() {
    static const std::map<std::string, KeyReader, std::less<>> readers = {
        {"Name", readName},
        {"Idiom", readIdiom},
        {"ScreenWidth", numberKey(1, 10000, [](DeviceProfile& p, double v) { p.screenSize.width = v; })},
        {"ScreenHeight", numberKey(1, 10000, [](DeviceProfile& p, double v) { p.screenSize.height = v; })},
        {"ScreenScale", numberKey(1, 3, [](DeviceProfile& p, double v) { p.screenScale = v; })},
        {"ControlCenterWidth",
         numberKey(1, 10000, [](DeviceProfile& p, double v) { p.controlCenterWidth = v; })},
        {"Locked", booleanKey(&DeviceProfile::locked)},
        {"FrontMostAppOrientation", readOrientation},
        {"Applications", readApplications},
        {"MissingClasses", readMissingClasses},
        {"Accounts", readAccounts},
        {"PhotoLibrary", booleanKey(&DeviceProfile::photoLibrary)},
        {"Library", readLibrary},
        {"Cameras", readCameras},
        {"Languages", readLanguages},
    };
    return readers;
}

} // namespace

std::optional<DeviceProfile> parseDeviceProfile(std::span<const std::uint8_t> bytes, std::string& error) {
    std::string unreadable;
    const auto dictionary = NSDictionary::dictionaryWithPropertyListData(bytes, unreadable);
    if (!dictionary) {
        error = "not a property list with a dictionary at its root: " + unreadable;
        return std::nullopt;
    }
    DeviceProfile profile;
    for (const auto& [key, value] : dictionary->entries()) {
        const auto reader = keyReaders().find(key);
        const auto problem = reader == keyReaders().end() ? std::optional<std::string>("is not a profile key")
                                                          : reader->second(value, profile);
        if (problem) {
            error = key + " " + *problem;
            return std::nullopt;
        }
    }
    return profile;
}

constexpr std::uintmax_t largestProfile = 16 * 1024 * 1024;

std::optional<DeviceProfile> readDeviceProfile(const std::filesystem::path& file, std::string& error) {
    // Opening a pipe waits for a writer: anything but a regular file is refused before it is opened.
    std::error_code code;
    if (!std::filesystem::is_regular_file(file, code)) {
        error = file.string() + ": no such file, or not a regular file";
        return std::nullopt;
    }
    // Checked before reading: a profile is a few kilobytes, and a huge file must not be held whole.
    if (std::filesystem::file_size(file, code) > largestProfile) {
        error =
            file.string() + ": it is larger than " + std::to_string(largestProfile / (1024 * 1024)) + " MiB";
        return std::nullopt;
    }
    std::ifstream in(file, std::ios::binary);
    if (!in) {
        error = file.string() + ": it cannot be read";
        return std::nullopt;
    }
    const std::vector<std::uint8_t> bytes(std::istreambuf_iterator<char>(in), {});
    auto profile = parseDeviceProfile(bytes, error);
    if (!profile)
        error = file.string() + ": " + error;
    return profile;
}

const DeviceProfile& defaultDeviceProfile() {
    static const DeviceProfile profile = [] {
        const auto text = embeddedDefaultProfile();
        std::string error;
        return parseDeviceProfile(std::span(reinterpret_cast<const std::uint8_t*>(text.data()), text.size()),
                                  error)
            .value();
    }();
    return profile;
}

void applyDeviceProfile(const DeviceProfile& profile) {
    UIKitHost::setBounds(UIScreen::mainScreen(),
                         CGRectMake(0, 0, profile.screenSize.width, profile.screenSize.height));
    UIKitHost::setScale(UIScreen::mainScreen(), profile.screenScale);
    UIKitHost::setUserInterfaceIdiom(UIDevice::currentDevice(), profile.idiom);
    UIKitHost::setModel(UIDevice::currentDevice(),
                        profile.idiom == UIUserInterfaceIdiomPad ? "iPad" : "iPhone");
    // After the screen: Control Center's view spans the screen it is made for.
    SpringBoardHost::reset();
    SpringBoardHost::setLocked(*SpringBoard::sharedApplication(), profile.locked);
    SpringBoardHost::setFrontMostAppOrientation(*SpringBoard::sharedApplication(),
                                                profile.frontMostAppOrientation);
    SpringBoardHost::setWidth(*SBControlCenterController::sharedInstance(), profile.controlCenterWidth);
    for (const auto& application : profile.applications)
        SpringBoardHost::installApplication(application);
    SpringBoardHost::registerClasses(profile.missingClasses);
    MessageUIHost::setCanSendMail(profile.mailAccount);
    MessageUIHost::setCanSendText(profile.messages);
    MessageUIHost::setCanSendAttachments(profile.messageAttachments);
    SocialHost::setAccounts(profile.socialAccounts);
    MediaHost::setPhotoLibraryAvailable(profile.photoLibrary);
    AVCaptureHost::setCameras(profile.cameras);
    MediaHost::setCameraAvailable(!profile.cameras.empty());
    if (profile.languages)
        setDeviceLanguages(*profile.languages);
    else
        FoundationHost::reloadPreferredLanguages();
}

void stockPhotoLibrary(const DeviceProfile& profile) {
    const auto library = DeviceRoot::resolve(photoLibraryFolder);
    std::error_code error;
    if (profile.library.empty() || std::filesystem::exists(library, error))
        return;
    std::filesystem::create_directories(library, error);
    for (const auto& entry : std::filesystem::directory_iterator(profile.library, error)) {
        if (entry.is_regular_file(error))
            std::filesystem::copy_file(entry.path(), library / entry.path().filename(), error);
    }
}
