#include "sim/DeviceProfile.h"
#include "SpringBoard/SBApplicationController.h"
#include "SpringBoard/SBControlCenterController.h"
#include "SpringBoard/SBIconModel.h"
#include "SpringBoard/SpringBoard.h"
#include "UIKit/UIImagePickerController.h"
#include "UIKit/UIScreen.h"
#include "objc/runtime.h"
#include "support/TemporaryDevice.h"

#include <fstream>
#include <gtest/gtest.h>
#include <sstream>

namespace {

const std::filesystem::path profiles = ORVANE_PROFILES_DIR;

std::optional<DeviceProfile> parse(std::string_view text, std::string& error) {
    return parseDeviceProfile(std::span(reinterpret_cast<const std::uint8_t*>(text.data()), text.size()),
                              error);
}

DeviceProfile read(const std::filesystem::path& file) {
    std::string error;
    auto profile = readDeviceProfile(file, error);
    EXPECT_TRUE(profile) << error;
    return profile.value_or(DeviceProfile{});
}

const SpringBoardHost::InstalledApplication* application(const DeviceProfile& profile, std::string_view id) {
    for (const auto& installed : profile.applications) {
        if (installed.bundleIdentifier == id)
            return &installed;
    }
    return nullptr;
}

TEST(DeviceProfile, TheCompiledInDefaultIsTheIPhoneProfileFile) {
    std::ifstream file(profiles / "iphone.plist");
    std::stringstream text;
    text << file.rdbuf();
    EXPECT_EQ(embeddedDefaultProfile(), text.str());

    const DeviceProfile& phone = defaultDeviceProfile();
    EXPECT_EQ(phone.idiom, UIUserInterfaceIdiomPhone);
    EXPECT_EQ(phone.screenSize, CGSizeMake(320, 568));
    EXPECT_EQ(phone.screenScale, 2);
    EXPECT_EQ(phone.controlCenterWidth, 320);
    EXPECT_FALSE(phone.locked);
    EXPECT_EQ(phone.frontMostAppOrientation, 1);
    EXPECT_TRUE(phone.missingClasses.empty());
    for (const auto id :
         {"com.apple.mobilemail", "com.apple.MobileSMS", "com.apple.mobileslideshow", "com.apple.mobilenotes",
          "com.apple.mobilecal", "com.atebits.Tweetie2", "com.facebook.Facebook"})
        EXPECT_NE(application(phone, id), nullptr) << id;
    const auto* twitter = application(phone, "com.atebits.Tweetie2");
    ASSERT_NE(twitter, nullptr);
    EXPECT_EQ(twitter->staticShortcutItemTypes, std::vector<std::string>{"com.twitter.shortcut.new-tweet"});
    EXPECT_EQ(twitter->dynamicShortcutItemTypes,
              std::vector<std::string>{"com.twitter.shortcut.new-message"});
}

TEST(DeviceProfile, TheProfileFilesDescribeAnIPadAndAPhoneWithClassesMissing) {
    const auto pad = read(profiles / "ipad.plist");
    EXPECT_EQ(pad.idiom, UIUserInterfaceIdiomPad);
    EXPECT_EQ(pad.screenSize, CGSizeMake(768, 1024));
    EXPECT_EQ(pad.controlCenterWidth, 768);
    EXPECT_NE(application(pad, "com.skype.SkypeForiPad"), nullptr);

    const auto missing = read(profiles / "iphone-missing-classes.plist");
    EXPECT_EQ(missing.missingClasses, (std::set<std::string, std::less<>>{
                                          "SBControlCenterController", "SBIconController", "SpringBoard"}));
}

TEST(DeviceProfile, KeysLeftOutKeepThePlainValues) {
    std::string error;
    const auto profile = parse(xmlPlist("<dict><key>Locked</key><true/></dict>"), error);
    ASSERT_TRUE(profile) << error;
    const DeviceProfile plain;
    EXPECT_TRUE(profile->locked);
    EXPECT_EQ(profile->screenSize, plain.screenSize);
    EXPECT_EQ(profile->controlCenterWidth, plain.controlCenterWidth);
    EXPECT_EQ(profile->idiom, plain.idiom);
    EXPECT_TRUE(profile->applications.empty());
}

TEST(DeviceProfile, AnApplicationNeedsOnlyItsBundleIdentifier) {
    std::string error;
    const auto profile = parse(
        xmlPlist(
            "<dict><key>Applications</key><array><dict><key>BundleIdentifier</key><string>a.b</string>"
            "</dict><dict><key>BundleIdentifier</key><string>c.d</string><key>LaunchEnabled</key><false/>"
            "</dict></array></dict>"),
        error);
    ASSERT_TRUE(profile) << error;
    ASSERT_EQ(profile->applications.size(), 2u);
    EXPECT_TRUE(profile->applications[0].launchEnabled);
    EXPECT_TRUE(profile->applications[0].staticShortcutItemTypes.empty());
    EXPECT_FALSE(profile->applications[1].launchEnabled);
}

TEST(DeviceProfile, BadValuesAreRefusedNamingTheKey) {
    struct Case {
        const char* body;
        const char* says;
    };
    for (const auto& bad : {
             Case{"<key>Idiom</key><string>watch</string>", "Idiom must be"},
             Case{"<key>ScreenWidth</key><string>320</string>", "ScreenWidth must be"},
             Case{"<key>ScreenHeight</key><integer>0</integer>", "ScreenHeight must be"},
             Case{"<key>ScreenScale</key><real>4</real>", "ScreenScale must be"},
             Case{"<key>ControlCenterWidth</key><true/>", "ControlCenterWidth must be"},
             Case{"<key>Locked</key><integer>1</integer>", "Locked must be"},
             Case{"<key>FrontMostAppOrientation</key><integer>5</integer>",
                  "FrontMostAppOrientation must be"},
             Case{"<key>FrontMostAppOrientation</key><real>1.5</real>", "FrontMostAppOrientation must be"},
             Case{"<key>Name</key><array/>", "Name must be"},
             Case{"<key>Applications</key><dict/>", "Applications must be"},
             Case{"<key>Applications</key><array><string>a.b</string></array>",
                  "item 0: is not a dictionary"},
             Case{"<key>Applications</key><array><dict><key>LaunchEnabled</key><true/></dict></array>",
                  "has no BundleIdentifier"},
             Case{"<key>Applications</key><array><dict><key>BundleIdentifier</key><string>a</string>"
                  "<key>StaticShortcutItems</key><array><integer>1</integer></array></dict></array>",
                  "StaticShortcutItems must be"},
             Case{"<key>Applications</key><array><dict><key>BundleIdentifier</key><string>a</string>"
                  "<key>Colour</key><string>red</string></dict></array>",
                  "Colour is not an application key"},
             Case{"<key>MissingClasses</key><array><string>SBApplication</string></array>", "SBApplication"},
             Case{"<key>MissingClasses</key><string>SpringBoard</string>", "MissingClasses must be"},
             Case{"<key>Screen</key><string>big</string>", "Screen is not a profile key"},
             Case{"<key>Accounts</key><array/>", "Accounts must be a dictionary"},
             Case{"<key>Accounts</key><dict><key>Mail</key><string>yes</string></dict>", "Mail must be"},
             Case{"<key>Accounts</key><dict><key>MySpace</key><true/></dict>", "MySpace is not an account"},
             Case{"<key>PhotoLibrary</key><integer>1</integer>", "PhotoLibrary must be"},
             Case{"<key>Library</key><true/>", "Library must be a string"},
             Case{"<key>Cameras</key><string>back</string>", "Cameras must be"},
             Case{"<key>Cameras</key><array><string>side</string></array>", "Cameras must list"},
             Case{"<key>Cameras</key><array><string>back</string><string>back</string></array>",
                  "Cameras must list"},
         }) {
        std::string error;
        EXPECT_EQ(parse(xmlPlist(std::string("<dict>") + bad.body + "</dict>"), error), std::nullopt)
            << bad.body;
        EXPECT_NE(error.find(bad.says), std::string::npos) << bad.body << " gave: " << error;
    }
}

TEST(DeviceProfile, AccountsAndTheLibraryDefaultToEverythingAndCanBeTakenAway) {
    std::string error;
    const auto plain = parse(xmlPlist("<dict/>"), error);
    ASSERT_TRUE(plain) << error;
    EXPECT_TRUE(plain->mailAccount && plain->messages && plain->messageAttachments && plain->photoLibrary);
    EXPECT_EQ(plain->socialAccounts.size(), 4u);
    EXPECT_FALSE(plain->library.empty()) << "the project's library";
    const auto bare =
        parse(xmlPlist("<dict><key>Accounts</key><dict><key>MessageAttachments</key><false/>"
                       "<key>Twitter</key><false/><key>Facebook</key><true/></dict>"
                       "<key>PhotoLibrary</key><false/><key>Library</key><string></string></dict>"),
              error);
    ASSERT_TRUE(bare) << error;
    EXPECT_TRUE(bare->mailAccount && bare->messages);
    EXPECT_FALSE(bare->messageAttachments || bare->photoLibrary);
    EXPECT_EQ(bare->socialAccounts,
              (std::vector<std::string>{"com.apple.social.sinaweibo", "com.apple.social.tencentweibo",
                                        "com.apple.social.facebook"}));
    EXPECT_TRUE(bare->library.empty());
}

TEST(DeviceProfile, AFreshDeviceGetsTheLibraryOnceAndKeepsWhatThePersonChanged) {
    const TemporaryDevice source;
    std::ofstream(source.root() / "IMG_0001.JPG") << "photo";
    std::filesystem::create_directories(source.root() / "folder");
    const TemporaryDevice device;
    DeviceProfile profile;
    profile.library = source.root();
    stockPhotoLibrary(profile);
    const auto photo = device.hostPath("/var/mobile/Media/DCIM/100APPLE/IMG_0001.JPG");
    EXPECT_TRUE(std::filesystem::is_regular_file(photo));
    EXPECT_FALSE(std::filesystem::exists(photo.parent_path() / "folder"));
    std::filesystem::remove(photo);
    stockPhotoLibrary(profile);
    EXPECT_FALSE(std::filesystem::exists(photo)) << "the person's library is left as it is";
    profile.library = source.root() / "missing";
    std::filesystem::remove_all(photo.parent_path());
    stockPhotoLibrary(profile);
    EXPECT_TRUE(std::filesystem::is_directory(photo.parent_path()))
        << "a missing folder gives an empty library";
}

TEST(DeviceProfile, FilesThatHoldNoProfileAreRefusedNamingTheFile) {
    const TemporaryDevice folder;
    const auto write = [&](const char* name, std::string_view text) {
        std::ofstream(folder.root() / name) << text;
        return folder.root() / name;
    };
    for (const auto& file :
         {folder.root() / "absent.plist", folder.root(), write("text.plist", "not a plist"),
          write("array.plist", xmlPlist("<array/>")), write("empty.plist", "")}) {
        std::string error;
        EXPECT_EQ(readDeviceProfile(file, error), std::nullopt) << file;
        EXPECT_EQ(error.rfind(file.string() + ": ", 0), 0u) << error;
    }
}

TEST(DeviceProfile, AHugeOrTooDeepProfileIsRefusedNamingTheLimit) {
    const TemporaryDevice folder;
    const auto huge = folder.root() / "huge.plist";
    std::ofstream(huge) << xmlPlist("<dict/>");
    // Sparse: a profile read before its size is checked would take 300 MB of memory.
    std::filesystem::resize_file(huge, 300 * 1024 * 1024);
    std::string error;
    EXPECT_EQ(readDeviceProfile(huge, error), std::nullopt);
    EXPECT_EQ(error, huge.string() + ": it is larger than 16 MiB");

    std::string nested;
    for (int level = 0; level < 70; ++level)
        nested = "<array>" + nested + "</array>";
    const auto deep = folder.root() / "deep.plist";
    std::ofstream(deep) << xmlPlist("<dict><key>Applications</key>" + nested + "</dict>");
    EXPECT_EQ(readDeviceProfile(deep, error), std::nullopt);
    EXPECT_NE(error.find("nested more than 64 levels deep"), std::string::npos) << error;
}

class AppliedProfile : public ::testing::Test {
  protected:
    ~AppliedProfile() override {
        // Back to the plain screen and device, with no SpringBoard class registered.
        applyDeviceProfile(DeviceProfile{});
        SpringBoardHost::unregisterClasses();
        SpringBoardHost::reset();
    }
};

TEST_F(AppliedProfile, TheProfileBecomesTheScreenTheDeviceAndSpringBoard) {
    auto pad = read(profiles / "ipad.plist");
    pad.locked = true;
    pad.frontMostAppOrientation = 3;
    pad.applications.at(0).launchEnabled = false;
    applyDeviceProfile(pad);
    EXPECT_EQ(UIScreen::mainScreen().bounds(), CGRectMake(0, 0, 768, 1024));
    EXPECT_EQ(UIScreen::mainScreen().scale(), 2);
    EXPECT_EQ(UIDevice::currentDevice().userInterfaceIdiom(), UIUserInterfaceIdiomPad);
    EXPECT_EQ(UIDevice::currentDevice().model(), "iPad");
    EXPECT_TRUE(SpringBoard::sharedApplication()->isLocked());
    EXPECT_EQ(SpringBoard::sharedApplication()->_frontMostAppOrientation(), 3);
    EXPECT_EQ(SBControlCenterController::sharedInstance()->view()->frame(), CGRectMake(0, 0, 768, 1024));
    const auto& first = pad.applications.at(0);
    const auto icon = SBIconViewMap::homescreenMap()->iconModel()->applicationIconForBundleIdentifier(
        first.bundleIdentifier);
    ASSERT_NE(icon, nullptr);
    EXPECT_FALSE(icon->launchEnabled());
    EXPECT_NE(
        SBApplicationController::sharedInstance()->applicationWithBundleIdentifier("com.skype.SkypeForiPad"),
        nullptr);
    EXPECT_NE(NSClassFromString("SBIconController"), nullptr);
}

TEST_F(AppliedProfile, TheProfilesCamerasAreTheDevicesCameras) {
    std::string error;
    auto frontOnly =
        parse(xmlPlist("<dict><key>Cameras</key><array><string>front</string></array></dict>"), error);
    ASSERT_TRUE(frontOnly) << error;
    applyDeviceProfile(*frontOnly);
    const auto cameras = AVCaptureDevice::devicesWithMediaType(AVMediaTypeVideo);
    ASSERT_EQ(cameras.size(), 1u);
    EXPECT_EQ(cameras[0]->position(), AVCaptureDevicePositionFront);
    EXPECT_TRUE(UIImagePickerController::isSourceTypeAvailable(UIImagePickerControllerSourceTypeCamera));
    applyDeviceProfile(*parse(xmlPlist("<dict><key>Cameras</key><array/></dict>"), error));
    EXPECT_EQ(AVCaptureDevice::defaultDeviceWithMediaType(AVMediaTypeVideo), nullptr);
    EXPECT_FALSE(UIImagePickerController::isSourceTypeAvailable(UIImagePickerControllerSourceTypeCamera))
        << "the picker has no camera either";
    applyDeviceProfile(defaultDeviceProfile());
    EXPECT_EQ(AVCaptureDevice::devicesWithMediaType(AVMediaTypeVideo).size(), 2u);
    EXPECT_TRUE(UIImagePickerController::isSourceTypeAvailable(UIImagePickerControllerSourceTypeCamera));
}

TEST_F(AppliedProfile, MissingClassesCannotBeLookedUp) {
    applyDeviceProfile(read(profiles / "iphone-missing-classes.plist"));
    EXPECT_EQ(NSClassFromString("SpringBoard"), nullptr);
    EXPECT_EQ(NSClassFromString("SBControlCenterController"), nullptr);
    EXPECT_EQ(NSClassFromString("SBIconController"), nullptr);
    EXPECT_NE(NSClassFromString("SBApplicationController"), nullptr);
    EXPECT_EQ(UIApplication::sharedApplication(), SpringBoard::sharedApplication())
        << "SpringBoard still runs: only its name cannot be found";
}

} // namespace
