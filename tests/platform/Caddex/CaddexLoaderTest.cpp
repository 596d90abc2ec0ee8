#include "LoaderFixture.h"
#include "SpringBoard/SpringBoardHost.h"
#include "support/DeviceEvents.h"

#include <filesystem>

namespace {

using Lines = std::vector<std::string>;

class TestSectionLoaderTest : public LoaderTest {
  protected:
    // The test module, installed as the section bundle with the given principal class and executable name.
    void installBundle(std::string_view principalClass, std::string_view executable = "TestSection") {
        device.writeText(std::string(CaddexLoader::sectionBundlePath) + "Info.plist",
                         xmlPlist("<dict><key>CFBundleExecutable</key><string>" + std::string(executable) +
                                  "</string><key>NSPrincipalClass</key><string>" +
                                  std::string(principalClass) + "</string></dict>"));
        std::filesystem::copy_file(
            TEST_SECTION_MODULE,
            device.hostPath(std::string(CaddexLoader::sectionBundlePath) + "TestSection"));
    }

    void loadTestSection() {
        installBundle("TestSection");
        ASSERT_TRUE(loader->loadSection());
    }
};

TEST_F(TestSectionLoaderTest, TheSectionViewSitsInAContainerAsWideAsControlCenter) {
    SpringBoardHost::setWidth(*controlCenter, 320);
    loadTestSection();
    ASSERT_NE(loader->section(), nullptr);
    const auto& container = loader->containerView();
    ASSERT_NE(container, nullptr);
    EXPECT_EQ(container->superview(), controlCenter->view());
    EXPECT_EQ(loader->section()->view()->superview(), container);
    EXPECT_EQ(container->frame(), CGRectMake(0, 0, 320, 0)) << "the test section is 0 high until it appears";
}

TEST_F(TestSectionLoaderTest, NothingHappensWhenAStepOfLoadingFails) {
    EXPECT_FALSE(loader->loadSection()) << "no bundle";
    struct Broken {
        const char* why;
        std::string_view principalClass;
        std::string_view executable;
    };
    for (const auto& broken :
         {Broken{"a principal class that is not a section", "NotASection", "TestSection"},
          Broken{"a class that makes no instance", "FailingSection", "TestSection"},
          Broken{"no such class", "Unregistered", "TestSection"},
          Broken{"no module", "TestSection", "Missing"}}) {
        // Bundles are kept per folder, so each case gets a device of its own.
        const TemporaryDevice fresh;
        installBundle(broken.principalClass, broken.executable);
        EXPECT_FALSE(loader->loadSection()) << broken.why;
    }
    EXPECT_EQ(loader->section(), nullptr);
    EXPECT_EQ(loader->containerView(), nullptr);
    EXPECT_TRUE(controlCenter->view()->subviews().empty());
}

TEST_F(TestSectionLoaderTest, LoadingAgainKeepsTheFirstSection) {
    loadTestSection();
    const auto first = loader->section();
    EXPECT_TRUE(loader->loadSection());
    EXPECT_EQ(loader->section(), first);
    EXPECT_EQ(controlCenter->view()->subviews().size(), 1u);
}

TEST_F(TestSectionLoaderTest, AnAppearanceAsksForTheHeightAfterWillAppearAndAnnouncesItselfLast) {
    SpringBoardHost::setWidth(*controlCenter, 320);
    loadTestSection();
    EXPECT_TRUE(loader->appear());
    EXPECT_TRUE(controlCenter->isVisible());
    EXPECT_EQ(events,
              (Lines{"TestSectionWillAppear hidden 320x0", "CaddexCCDidAppearNotification visible 320x20"}));
}

TEST_F(TestSectionLoaderTest, ADisappearanceAnnouncesItselfFirstAndEndsWithDidDisappear) {
    loadTestSection();
    loader->appear();
    events.clear();
    EXPECT_TRUE(loader->disappear());
    EXPECT_FALSE(controlCenter->isVisible());
    EXPECT_EQ(events, (Lines{"CaddexCCWillDisappearNotification visible 320x20",
                             "TestSectionDidDisappear hidden 320x20"}));
}

TEST_F(TestSectionLoaderTest, TheHeightIsAskedForAgainAtEachAppearance) {
    loadTestSection();
    loader->appear();
    loader->disappear();
    loader->appear();
    EXPECT_EQ(loader->containerView()->frame().size.height, 40);
}

TEST_F(TestSectionLoaderTest, AWidthChangeWhileControlCenterSlidesInIsInPlaceForDidAppear) {
    SpringBoardHost::setWidth(*controlCenter, 320);
    loadTestSection();
    loader->appear([this] { loader->setControlCenterWidth(300); });
    EXPECT_EQ(events,
              (Lines{"TestSectionWillAppear hidden 320x0", "CaddexCCDidAppearNotification visible 300x20"}));
    EXPECT_EQ(controlCenter->view()->frame().size.width, 300);
}

TEST_F(TestSectionLoaderTest, AppearingWhileVisibleOrDisappearingWhileHiddenDoesNothing) {
    loadTestSection();
    EXPECT_FALSE(loader->disappear());
    EXPECT_TRUE(loader->appear());
    EXPECT_FALSE(loader->appear());
    EXPECT_EQ(events.size(), 2u) << ::testing::PrintToString(events);
    EXPECT_TRUE(controlCenter->isVisible());
}

TEST_F(TestSectionLoaderTest, DismissingControlCenterRunsTheDisappearance) {
    loadTestSection();
    loader->appear();
    events.clear();
    controlCenter->dismissAnimated(true);
    EXPECT_FALSE(controlCenter->isVisible());
    EXPECT_EQ(events, (Lines{"CaddexCCWillDisappearNotification visible 320x20",
                             "TestSectionDidDisappear hidden 320x20"}));
    EXPECT_EQ(loggedEvents(),
              (Lines{"bundle.loaded path=/Library/Caddex/Bundles/OrvaneCC.bundle "
                     "executable=TestSection",
                     "controlcenter.opened width=320 section=loaded",
                     "springboard.dismissControlCenter animated=true", "controlcenter.closed"}));
}

TEST_F(TestSectionLoaderTest, ALoaderThatGoesAwayTakesItsContainerAndDismissalWithIt) {
    loadTestSection();
    loader->appear();
    loader.reset();
    events.clear();
    EXPECT_TRUE(controlCenter->view()->subviews().empty());
    controlCenter->dismissAnimated(true);
    EXPECT_FALSE(controlCenter->isVisible());
    EXPECT_EQ(events, (Lines{})) << "no loader, no notifications";
}

TEST_F(LoaderTest, WithoutASectionControlCenterStillAppearsAndDisappears) {
    EXPECT_TRUE(loader->appear());
    EXPECT_TRUE(loader->disappear());
    EXPECT_EQ(events,
              (Lines{"CaddexCCDidAppearNotification visible", "CaddexCCWillDisappearNotification visible"}));
    EXPECT_EQ(loggedEvents("controlcenter."),
              (Lines{"controlcenter.opened width=320 section=none", "controlcenter.closed"}));
}

} // namespace
