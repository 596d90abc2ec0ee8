#include "LoaderFixture.h"
#include "SpringBoard/SpringBoard.h"
#include "SpringBoard/SpringBoardHost.h"

#include <filesystem>

// The loader with the real section module, installed from the build's staging folder.
namespace {

class OrvaneCCLoaderTest : public LoaderTest {
  protected:
    OrvaneCCLoaderTest() {
        SpringBoardHost::setWidth(*controlCenter, 320);
        const auto installed = device.hostPath(CaddexLoader::sectionBundlePath);
        std::filesystem::create_directories(installed);
        std::filesystem::copy(ORVANE_BUNDLES_DIR "/OrvaneCC.bundle", installed,
                              std::filesystem::copy_options::recursive);
    }

    CGRect sectionFrame() const { return loader->section()->view()->frame(); }
};

TEST_F(OrvaneCCLoaderTest, TheSectionFillsItsContainerFromTheFirstAppearance) {
    ASSERT_TRUE(loader->loadSection());
    loader->appear();
    EXPECT_EQ(loader->containerView()->frame(), CGRectMake(0, 0, 320, 46)) << "the default row height";
    EXPECT_EQ(sectionFrame(), CGRectMake(0, 0, 320, 46));
    EXPECT_FALSE(loader->section()->view()->isHidden());
}

TEST_F(OrvaneCCLoaderTest, AWidthThatChangesBeforeDidAppearIsLaidOutAtDidAppear) {
    ASSERT_TRUE(loader->loadSection());
    CGRect atWillAppearEnd;
    loader->appear([&] {
        atWillAppearEnd = sectionFrame();
        loader->setControlCenterWidth(300);
    });
    EXPECT_EQ(atWillAppearEnd.size.width, 320);
    EXPECT_EQ(sectionFrame().size.width, 300);
}

TEST_F(OrvaneCCLoaderTest, ALockedDeviceCollapsesAndHidesTheSection) {
    SpringBoardHost::setLocked(*SpringBoard::sharedApplication(), true);
    ASSERT_TRUE(loader->loadSection());
    loader->appear();
    EXPECT_EQ(loader->containerView()->frame().size.height, 0);
    EXPECT_TRUE(loader->section()->view()->isHidden());
    loader->disappear();
    SpringBoardHost::setLocked(*SpringBoard::sharedApplication(), false);
    loader->appear();
    EXPECT_EQ(loader->containerView()->frame().size.height, 46);
    EXPECT_FALSE(loader->section()->view()->isHidden());
}

} // namespace
