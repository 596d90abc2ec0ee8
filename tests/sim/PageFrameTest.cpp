#include "SimulatorFixture.h"
#include "sim/BootedDevice.h"

#include <filesystem>

namespace {

namespace PageFrame = BootedDevice::PageFrame;

// The device page's picture: what `screenshot` writes, written again only when its pixels change.
class PageFrameTest : public SimulatorTest {
  protected:
    PageFrameTest() {
        output("install");
        output("defaults write FUNCTION_1 APP-WeChat");
    }

    Result frame(bool fresh = false) {
        std::error_code error;
        std::filesystem::remove(picture, error);
        std::ostringstream out, errors;
        const int status = device->pageFrame(picture, fresh, out, errors);
        return {status, out.str(), errors.str()};
    }
    std::string bytesOf(const std::filesystem::path& file) {
        std::ifstream in(file, std::ios::binary);
        return {std::istreambuf_iterator<char>(in), {}};
    }
    std::string screenshotBytes() {
        const auto file = root.root() / "screenshot.png";
        output("screenshot " + file.string());
        return bytesOf(file);
    }

    std::filesystem::path picture = root.root() / "page.png";
};

TEST_F(PageFrameTest, AnUnchangedScreenIsNotWrittenAgainUnlessAskedFresh) {
    output("open");
    const auto first = frame();
    ASSERT_EQ(first.status, PageFrame::written) << first.errors;
    EXPECT_EQ(bytesOf(picture), screenshotBytes());
    EXPECT_TRUE(has(first.out, "Control Center open")) << first.out;
    EXPECT_TRUE(has(first.out, "presented: nothing")) << first.out;

    // A command that shows nothing new, then the same picture.
    output("state");
    const auto again = frame();
    EXPECT_EQ(again.status, PageFrame::unchanged);
    EXPECT_FALSE(std::filesystem::exists(picture));
    EXPECT_EQ(again.out, first.out) << "the state comes with an unchanged picture too";
    EXPECT_EQ(frame(true).status, PageFrame::written);
    EXPECT_EQ(bytesOf(picture), screenshotBytes());
}

TEST_F(PageFrameTest, EveryChangeOfTheScreenIsWrittenAsTheScreenshotDrawsIt) {
    output("open");
    ASSERT_EQ(frame().status, PageFrame::written);
    output("tap 1");
    const auto prompt = frame();
    ASSERT_EQ(prompt.status, PageFrame::written) << prompt.errors;
    EXPECT_EQ(bytesOf(picture), screenshotBytes());
    EXPECT_TRUE(has(prompt.out, "presented: UIAlertController")) << prompt.out;
    output("choose Cancel");
    ASSERT_EQ(frame().status, PageFrame::written);
    EXPECT_EQ(bytesOf(picture), screenshotBytes());

    // The Settings application in front: its page, then each page it goes to.
    output("close");
    output("settings open");
    ASSERT_EQ(frame().status, PageFrame::written);
    EXPECT_EQ(bytesOf(picture), screenshotBytes());
    output("settings tap Orvane");
    ASSERT_EQ(frame().status, PageFrame::written);
    EXPECT_EQ(bytesOf(picture), screenshotBytes());
    EXPECT_EQ(frame().status, PageFrame::unchanged);
}

TEST_F(PageFrameTest, APictureThatCannotBeWrittenFailsAndIsWrittenOnceItCan) {
    output("open");
    picture = root.root() / "no-such-folder" / "page.png";
    const auto unwritable = frame();
    EXPECT_EQ(unwritable.status, 1);
    EXPECT_TRUE(has(unwritable.errors, "cannot write")) << unwritable.errors;
    picture = root.root() / "page.png";
    EXPECT_EQ(frame().status, PageFrame::written) << "a picture that was not written is not the last one";
}

TEST_F(SimulatorTest, WithNoSectionInstalledThePagesPictureFailsWithTheReason) {
    std::ostringstream out, errors;
    EXPECT_EQ(device->pageFrame(root.root() / "page.png", false, out, errors), 1);
    EXPECT_TRUE(has(errors.str(), "no section to draw")) << errors.str();
    EXPECT_TRUE(has(out.str(), "presented: nothing")) << "the state is told all the same";
    EXPECT_FALSE(std::filesystem::exists(root.root() / "page.png"));
}

} // namespace
