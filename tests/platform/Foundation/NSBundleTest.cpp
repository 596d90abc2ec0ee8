#include "Foundation/NSBundle.h"
#include "objc/runtime.h"
#include "support/DeviceEvents.h"
#include "support/TemporaryDevice.h"

#include <gtest/gtest.h>
#include <typeinfo>

namespace {

using Lines = std::vector<std::string>;

constexpr std::string_view bundlePath = "/Library/Caddex/Bundles/Test.bundle";

class NSBundleTest : public ::testing::Test {
  protected:
    ~NSBundleTest() override { ObjCRuntime::unregisterClass("TestPrincipal"); }

    // Lays out the bundle folder: an Info.plist naming `executable`, and that file copied from `module`.
    void install(std::string_view executable, const std::filesystem::path& module) const {
        device.writeText(std::string(bundlePath) + "/Info.plist",
                         xmlPlist("<dict><key>CFBundleExecutable</key><string>" + std::string(executable) +
                                  "</string><key>NSPrincipalClass</key><string>TestPrincipal</string>"
                                  "<key>CFBundleIdentifier</key><string>com.example.test</string></dict>"));
        if (!module.empty())
            std::filesystem::copy_file(module, device.hostPath(bundlePath) / executable);
    }

    void writeTable(std::string_view name, std::string_view text) const {
        device.writeText(std::string(bundlePath) + "/en.lproj/" + std::string(name) + ".strings", text);
    }

    TemporaryDevice device;
};

TEST_F(NSBundleTest, OneObjectPerFolderAndNothingForAMissingFolder) {
    EXPECT_FALSE(NSBundle::bundleWithPath(bundlePath));
    install("Test", {});
    const auto bundle = NSBundle::bundleWithPath(bundlePath);
    ASSERT_TRUE(bundle);
    EXPECT_EQ(bundle->bundlePath(), bundlePath);
    EXPECT_EQ(NSBundle::bundleWithPath(std::string(bundlePath) + "/"), bundle);
    EXPECT_EQ(bundle->bundleIdentifier(), "com.example.test");

    TemporaryDevice otherDevice;
    std::filesystem::create_directories(otherDevice.hostPath(bundlePath));
    const auto other = NSBundle::bundleWithPath(bundlePath);
    ASSERT_TRUE(other);
    EXPECT_NE(other, bundle) << "another device root holds another folder";
    EXPECT_FALSE(other->bundleIdentifier()) << "that folder has no Info.plist";
}

TEST_F(NSBundleTest, LoadingRunsTheEntryPointOnceAndItsClassesBelongToTheBundle) {
    install("Test", TEST_BUNDLE_MODULE);
    const auto bundle = NSBundle::bundleWithPath(bundlePath);
    ASSERT_TRUE(bundle);
    EXPECT_FALSE(bundle->isLoaded());
    EXPECT_FALSE(NSClassFromString("TestPrincipal"));

    const Class principal = bundle->principalClass();
    ASSERT_TRUE(principal);
    EXPECT_TRUE(bundle->isLoaded());
    EXPECT_EQ(principal, NSClassFromString("TestPrincipal"));
    const auto instance = principal->makeInstance();
    ASSERT_TRUE(instance);
    EXPECT_NE(std::string(typeid(*instance).name()).find("TestPrincipal"), std::string::npos);
    EXPECT_EQ(NSBundle::bundleForClass(principal), bundle);
    EXPECT_EQ(loggedEvents(),
              (Lines{"bundle.loaded path=/Library/Caddex/Bundles/Test.bundle executable=Test"}));

    ObjCRuntime::unregisterClass("TestPrincipal");
    EXPECT_TRUE(bundle->load());
    EXPECT_FALSE(NSClassFromString("TestPrincipal")) << "a second load must not run the entry point again";
}

TEST_F(NSBundleTest, ClassesRegisteredOutsideALoadBelongToNoBundle) {
    const Class cls = ObjCRuntime::registerClass("TestPrincipal", [] { return NSObject::make(); });
    EXPECT_FALSE(NSBundle::bundleForClass(cls));
    EXPECT_FALSE(NSBundle::bundleForClass(nullptr));
}

TEST_F(NSBundleTest, AModuleThatIsMissingUnloadableOrWithoutEntryPointDoesNotLoad) {
    install("Missing", {});
    auto bundle = NSBundle::bundleWithPath(bundlePath);
    ASSERT_TRUE(bundle);
    EXPECT_FALSE(bundle->load());
    EXPECT_EQ(bundle->loadError(), "the module cannot be opened: No such file or directory");
    EXPECT_FALSE(bundle->principalClass());
    const auto refusals = EventLog::events();
    ASSERT_EQ(refusals.size(), 2u) << "each refused load is logged";
    EXPECT_EQ(refusals[0].kind, "bundle.refused");
    EXPECT_EQ(*refusals[0].field("reason"), bundle->loadError());

    TemporaryDevice garbageDevice;
    install("Garbage", {});
    garbageDevice.writeText(std::string(bundlePath) + "/Garbage", "not a shared object");
    bundle = NSBundle::bundleWithPath(bundlePath);
    ASSERT_TRUE(bundle);
    EXPECT_FALSE(bundle->load());
    EXPECT_EQ(bundle->loadError(), "the module is not an ELF file");

    TemporaryDevice entrylessDevice;
    install("Entryless", TEST_BUNDLE_WITHOUT_ENTRY_POINT);
    bundle = NSBundle::bundleWithPath(bundlePath);
    ASSERT_TRUE(bundle);
    EXPECT_FALSE(bundle->load());
    EXPECT_EQ(bundle->loadError(), "the module exports no NSBundleRegisterClasses");
    EXPECT_FALSE(bundle->isLoaded());
    EXPECT_FALSE(bundle->principalClass());
}

TEST_F(NSBundleTest, LocalizedStringsComeFromTheTableOrFallBackToTheValueOrKey) {
    install("Test", {});
    writeTable("Localizable", "\"GREETING\" = \"Hello\";");
    writeTable("Broken", "\"GREETING\" = \"Hello\"");
    const auto bundle = NSBundle::bundleWithPath(bundlePath);
    ASSERT_TRUE(bundle);
    EXPECT_EQ(bundle->localizedStringForKey("GREETING", "", "Localizable"), "Hello");
    EXPECT_EQ(bundle->localizedStringForKey("GREETING", "", ""), "Hello") << "the default table";
    EXPECT_EQ(bundle->localizedStringForKey("ABSENT", "", "Localizable"), "ABSENT");
    EXPECT_EQ(bundle->localizedStringForKey("ABSENT", "Fallback", "Localizable"), "Fallback");
    EXPECT_EQ(bundle->localizedStringForKey("GREETING", "", "Missing"), "GREETING");
    EXPECT_EQ(bundle->localizedStringForKey("GREETING", "", "Broken"), "GREETING");
    EXPECT_EQ(bundle->localizedStringForKey("GREETING", "Fallback", "Broken"), "Fallback");

    writeTable("Localizable", "\"GREETING\" = \"Changed\";");
    EXPECT_EQ(bundle->localizedStringForKey("GREETING", "", "Localizable"), "Hello")
        << "a table is read once and kept";
}

TEST_F(NSBundleTest, APropertyListResourceIsParsedAgainWhenItsBytesChangeEvenAtTheSameSize) {
    install("Test", {});
    const auto bundle = NSBundle::bundleWithPath(bundlePath);
    ASSERT_TRUE(bundle);
    EXPECT_FALSE(bundle->propertyListResource("Page")) << "no such file";
    const std::string resource = std::string(bundlePath) + "/Page.plist";
    device.writeText(resource, xmlPlist("<dict><key>title</key><string>AAAA</string></dict>"));
    const auto first = bundle->propertyListResource("Page");
    ASSERT_TRUE(first);
    EXPECT_EQ(bundle->propertyListResource("Page"), first) << "unchanged bytes are not parsed again";

    device.writeText(resource, xmlPlist("<dict><key>title</key><string>BBBB</string></dict>"));
    const auto second = bundle->propertyListResource("Page");
    ASSERT_TRUE(second);
    EXPECT_EQ(*second->objectForKey("title"), CFPropertyList::string("BBBB"));
    EXPECT_EQ(*first->objectForKey("title"), CFPropertyList::string("AAAA")) << "a caller's copy stays whole";

    device.writeText(resource, "<plist><dict><key>title</key></plist>");
    EXPECT_FALSE(bundle->propertyListResource("Page")) << "malformed";
}

} // namespace
