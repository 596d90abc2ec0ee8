#include "CoreFoundation/CFNotificationCenter.h"
#include "Device/DeviceHost.h"
#include "Device/TemporaryDeviceRoot.h"
#include "Foundation/NSDictionary.h"
#include "Foundation/NSDistributedLock.h"
#include "Foundation/NSFileManager.h"
#include "support/TemporaryDevice.h"

#include <fstream>
#include <gtest/gtest.h>
#include <iterator>

namespace {

namespace fs = std::filesystem;

constexpr std::string_view preferences = "/var/mobile/Library/Preferences";
constexpr std::string_view path = "/var/mobile/Library/Preferences/test.plist";

NSDictionary oneKey(std::string_view key) {
    NSMutableDictionary dictionary;
    dictionary.setObject(CFPropertyList::integer(1), key);
    return dictionary;
}

std::size_t entries(const fs::path& folder) {
    std::size_t count = 0;
    for ([[maybe_unused]] const auto& entry : fs::recursive_directory_iterator(folder))
        ++count;
    return count;
}

// A device and a folder outside it that holds one file, which no test may change; paths resolve through
// openat2, or through the walk that stands in for it where openat2 is missing.
class DeviceWithOutside : public ::testing::TestWithParam<bool> {
  protected:
    void SetUp() override {
        DeviceHost::forceComponentWalk(GetParam());
        std::ofstream(outside.root() / "secret.plist") << secret;
    }
    void TearDown() override { DeviceHost::forceComponentWalk(false); }
    void link(std::string_view devicePath, const fs::path& target) const {
        fs::create_directories(device.hostPath(devicePath).parent_path());
        fs::create_symlink(target, device.root() / fs::path(devicePath).relative_path());
    }
    void expectOutsideUntouched() const {
        EXPECT_EQ(entries(outside.root()), 1u);
        std::ifstream in(outside.root() / "secret.plist");
        EXPECT_EQ(std::string(std::istreambuf_iterator<char>(in), {}), secret);
    }

    const std::string secret = xmlPlist("<dict><key>OUTSIDE</key><integer>1</integer></dict>");
    TemporaryDevice outside;
    TemporaryDevice device;
};

TEST_P(DeviceWithOutside, PathsStayBelowTheRoot) {
    EXPECT_EQ(DeviceRoot::resolve("/var/mobile/a.plist"), device.root() / "var/mobile/a.plist");
    EXPECT_EQ(DeviceRoot::resolve("/../../etc/passwd"), device.root() / "etc/passwd");
    EXPECT_EQ(DeviceRoot::resolve("/var/../../../x"), device.root() / "x");
    EXPECT_EQ(DeviceRoot::resolve("relative/y"), device.root() / "relative/y");
}

TEST_P(DeviceWithOutside, LinkedFoldersLeadToTheSamePlaceInsideTheDevice) {
    // Absolute and relative links, the relative one climbing further than the root goes.
    link(preferences, outside.root());
    link("/var/run/notifyd", "../../../../../../../../" + outside.root().relative_path().string());
    ASSERT_TRUE(oneKey("ICON_SIZE").writeToFile(path, true));
    CFNotificationCenterPostNotification(CFNotificationCenterGetDarwinNotifyCenter(), "com.example.posted",
                                         nullptr, nullptr, true);
    EXPECT_EQ(NSDictionary::dictionaryWithContentsOfFile(path), oneKey("ICON_SIZE"));
    EXPECT_TRUE(fs::exists(device.root() / outside.root().relative_path() / "test.plist"));
    EXPECT_TRUE(fs::exists(device.root() / outside.root().relative_path() / "com.example.posted"));
    expectOutsideUntouched();
}

TEST_P(DeviceWithOutside, ALinkedFileIsReadAsTheDeviceSeesItAndReplacedNotFollowedOnWrite) {
    link(path, outside.root() / "secret.plist");
    EXPECT_FALSE(NSDictionary::dictionaryWithContentsOfFile(path)) << "the outside file was read";
    ASSERT_TRUE(oneKey("ICON_SIZE").writeToFile(path, true));
    EXPECT_FALSE(fs::is_symlink(device.hostPath(preferences) / "test.plist"));

    link("/var/mobile/Library/Preferences/other.plist", outside.root() / "secret.plist");
    EXPECT_FALSE(oneKey("ICON_SIZE").writeToFile("/var/mobile/Library/Preferences/other.plist", false));
    EXPECT_TRUE(
        NSFileManager::defaultManager().removeItemAtPath("/var/mobile/Library/Preferences/other.plist"));
    expectOutsideUntouched();
}

TEST_P(DeviceWithOutside, ADanglingLinkLeadsInsideAndALoopOfLinksLeadsNowhere) {
    link(preferences, outside.root() / "new");
    ASSERT_TRUE(oneKey("ICON_SIZE").writeToFile(path, true));
    EXPECT_TRUE(fs::exists(device.root() / outside.root().relative_path() / "new/test.plist"));

    link("/loop/a", "/loop/b");
    link("/loop/b", "/loop/a");
    EXPECT_FALSE(oneKey("ICON_SIZE").writeToFile("/loop/a/test.plist", true));
    EXPECT_EQ(DeviceRoot::resolve("/loop/a/test.plist"), DeviceRoot::unresolvable / "loop/a/test.plist");
    expectOutsideUntouched();
}

INSTANTIATE_TEST_SUITE_P(ResolvedBy, DeviceWithOutside, ::testing::Values(false, true),
                         [](const auto& tested) { return tested.param ? "ComponentWalk" : "Openat2"; });

TEST_P(DeviceWithOutside, ATakenSettingsLockAndLinksOnTheWayResolveAlike) {
    link("/var/mobile/Library", "/elsewhere/Library");
    ASSERT_TRUE(oneKey("ICON_SIZE").writeToFile(path, true));
    EXPECT_EQ(DeviceRoot::resolve(path), device.root() / "elsewhere/Library/Preferences/test.plist");
    fs::create_symlink("../../../../../../x", device.root() / "elsewhere/Library/Preferences/x");
    EXPECT_EQ(DeviceRoot::resolve("/var/mobile/Library/Preferences/x/y"), device.root() / "x/y");
    const auto lock = NSDistributedLock::lockWithPath(std::string(path) + ".lock");
    ASSERT_NE(lock, nullptr);
    EXPECT_TRUE(lock->tryLock()) << "the settings writers' lock is taken below the root";
    lock->unlock();
    EXPECT_TRUE(fs::exists(device.root() / "elsewhere/Library/Preferences/test.plist.lock"));
    expectOutsideUntouched();
}

// Each run's device is a fresh, empty folder of its own that becomes the root, and goes with everything in
// it.
TEST(TemporaryDeviceRoot, IsAFreshRootOfItsOwnAndGoesWithItsContents) {
    auto first = TemporaryDeviceRoot::make("orvane-root-test");
    ASSERT_NE(first, nullptr);
    EXPECT_EQ(DeviceRoot::current(), first->path());
    EXPECT_TRUE(fs::is_directory(first->path()));
    EXPECT_TRUE(fs::is_empty(first->path()));
    EXPECT_TRUE(first->path().filename().string().starts_with("orvane-root-test-"));
    const auto second = TemporaryDeviceRoot::make("orvane-root-test");
    ASSERT_NE(second, nullptr);
    EXPECT_NE(second->path(), first->path());
    EXPECT_EQ(DeviceRoot::current(), second->path());

    const auto folder = first->path();
    fs::create_directories(folder / "var/mobile");
    std::ofstream(folder / "var/mobile/file") << "kept until the device goes";
    first.reset();
    EXPECT_FALSE(fs::exists(folder));
}

} // namespace
