#include "SectionFixture.h"

#include "CoreGraphics/CGContext.h"
#include "UIKit/UIBezierPath.h"
#include "UIKit/UIImage.h"
#include "UIKit/UIScreen.h"
#include "common/FunctionCatalogue.h"
#include "section/IconImages.h"

#include <random>

namespace {

using Value = CFPropertyList;

class IconTest : public SectionTest {
  protected:
    std::shared_ptr<NSBundle> bundle = NSBundle::bundleWithPath(sectionBundlePath);
    std::shared_ptr<UIImage> icon(std::string_view id, int size, int style) {
        return iconImageForFunction(*bundle, id, size, style);
    }
};

bool samePixels(const UIImage& a, const UIImage& b) {
    return a.CGImage()->width() == b.CGImage()->width() && a.CGImage()->height() == b.CGImage()->height() &&
           std::equal(a.CGImage()->pixels().begin(), a.CGImage()->pixels().end(),
                      b.CGImage()->pixels().begin());
}

TEST_F(IconTest, SizesArePointsAtTheFilesScale) {
    ASSERT_EQ(UIScreen::mainScreen().scale(), 2.0);
    const auto small = icon("SYS-Mail", 20, 0);
    ASSERT_TRUE(small);
    EXPECT_EQ(small->size(), CGSizeMake(20, 20));
    EXPECT_EQ(small->scale(), 2.0);
    EXPECT_EQ(small->CGImage()->width(), 40u);

    const auto unscaled = icon("SYS-Mail", 50, 0);
    const auto file =
        UIImage::imageWithContentsOfFile(std::string(sectionBundlePath) + "/com.apple.mobilemail-icon.png");
    ASSERT_TRUE(unscaled && file);
    EXPECT_EQ(unscaled->size(), file->size());
    EXPECT_TRUE(samePixels(*unscaled, *file)) << "at 50 the file is used as it is";
}

TEST_F(IconTest, StyleTwoTurnsTheGlyphWhiteAndKeepsTheGroundClear) {
    const auto black = icon("APP-Notes", 40, 1);
    const auto white = icon("APP-Notes", 40, 2);
    ASSERT_TRUE(black && white);
    const auto& before = *black->CGImage();
    const auto& after = *white->CGImage();
    ASSERT_EQ(before.width(), after.width());
    int glyphPixels = 0;
    for (std::size_t y = 0; y < before.height(); ++y) {
        for (std::size_t x = 0; x < before.width(); ++x) {
            const auto was = before.pixelAt(x, y);
            const auto now = after.pixelAt(x, y);
            if (was.alpha == 0) {
                ASSERT_EQ(now.alpha, 0) << "the ground must stay transparent at " << x << "," << y;
            } else if (was.alpha == 255) {
                ++glyphPixels;
                ASSERT_EQ(now, (CGImage::RGBA{255, 255, 255, 255})) << x << "," << y;
            }
        }
    }
    EXPECT_GT(glyphPixels, 50);
}

TEST_F(IconTest, RoundingClearsTheCornersAndKeepsTheMiddle) {
    write("ROUNDED_ICON", Value::boolean(true));
    section = makeSection();
    section->controlCenterWillAppear();
    const auto image = section->button(1)->currentImage();
    ASSERT_TRUE(image);
    const auto& pixels = *image->CGImage();
    const std::size_t last = pixels.width() - 1;
    for (const auto& [x, y] :
         {std::pair<std::size_t, std::size_t>{0, 0}, {last, 0}, {0, last}, {last, last}, {3, 3}})
        EXPECT_EQ(pixels.pixelAt(x, y).alpha, 0) << x << "," << y;
    EXPECT_EQ(pixels.pixelAt(last / 2, 2).alpha, 255) << "the tile's edge midpoint is inside the circle";
}

TEST_F(IconTest, AMissingOrBrokenFileGivesNoImageWithoutTouchingTheOtherSlots) {
    const auto folder = device.hostPath(sectionBundlePath);
    std::filesystem::remove(folder / "com.apple.mobilemail-black.png");
    std::filesystem::remove(folder / "com.apple.mobilemail-black@2x.png");
    EXPECT_EQ(icon("SYS-Mail", 40, 1), nullptr) << "no fallback to the colour file";
    EXPECT_EQ(icon("SYS-Mail", 40, 2), nullptr);
    EXPECT_NE(icon("SYS-Mail", 40, 0), nullptr);

    for (const auto* name : {"/com.apple.MobileSMS-icon.png", "/com.apple.MobileSMS-icon@2x.png"})
        device.writeText(std::string(sectionBundlePath) + name, "\x89PNG\r\n\x1a\ntruncated");
    EXPECT_EQ(icon("SYS-Message", 30, 0), nullptr);
    section = makeSection();
    section->controlCenterWillAppear();
    EXPECT_EQ(section->button(4)->currentImage(), nullptr);
    EXPECT_NE(section->button(1)->currentImage(), nullptr);
}

TEST_F(IconTest, FunctionsOfOneApplicationShowOneImage) {
    const auto system = icon("SYS-Twitter", 30, 0);
    const auto application = icon("APP-Twitter", 30, 0);
    ASSERT_TRUE(system && application);
    EXPECT_TRUE(samePixels(*system, *application));
    EXPECT_FALSE(samePixels(*system, *icon("SYS-Facebook", 30, 0)));
    EXPECT_EQ(icon("DISABLED", 40, 0), nullptr);
    EXPECT_EQ(icon("APP-Nothing", 40, 0), nullptr);
}

// What rounding is: the image drawn through a circular clip.
std::shared_ptr<UIImage> drawnThroughCircle(const UIImage& image) {
    const CGSize size = image.size();
    const CGRect rect = CGRectMake(0, 0, size.width, size.height);
    return drawnImage(size, image.scale(), [&](const CGContextRef&) {
        UIBezierPath::bezierPathWithRoundedRect(rect, size.width)->addClip();
        image.drawInRect(rect);
    });
}

TEST_F(IconTest, RoundedIconsArePixelForPixelTheImageDrawnThroughTheCircle) {
    int compared = 0;
    for (const std::string_view id : allowedFunctionIds) {
        for (const int size : {20, 30, 40, 50}) {
            for (const int style : {0, 1, 2}) {
                const auto image = icon(id, size, style);
                if (!image)
                    continue;
                const auto rounded = roundedIconImage(image);
                ASSERT_TRUE(rounded);
                EXPECT_EQ(rounded->size(), image->size());
                EXPECT_TRUE(samePixels(*rounded, *drawnThroughCircle(*image)))
                    << id << " " << size << " " << style;
                ++compared;
            }
        }
    }
    EXPECT_GT(compared, 100);
}

TEST_F(IconTest, AnyPictureRoundsAsItDrawsThroughTheCircle) {
    std::mt19937 random(40);
    // Odd and uneven sides at each scale, a picture turned by its orientation, and one seen again.
    const struct {
        std::size_t width, height;
        CGFloat scale;
        UIImageOrientation orientation;
    } pictures[] = {{37, 37, 1, UIImageOrientationUp},   {81, 81, 3, UIImageOrientationUp},
                    {60, 40, 2, UIImageOrientationUp},   {1, 1, 1, UIImageOrientationUp},
                    {50, 30, 2, UIImageOrientationLeft}, {37, 37, 1, UIImageOrientationUp}};
    for (const auto& picture : pictures) {
        std::vector<std::uint32_t> pixels(picture.width * picture.height);
        for (auto& pixel : pixels) {
            const std::uint32_t alpha = random() % 256;
            pixel = alpha << 24;
            for (int shift = 0; shift < 24; shift += 8)
                pixel |= (alpha == 0 ? 0 : std::uint32_t(random() % (alpha + 1))) << shift;
        }
        const auto image = UIImage::imageWithCGImage(CGImageCreate(picture.width, picture.height, pixels),
                                                     picture.scale, picture.orientation);
        ASSERT_TRUE(image);
        const auto rounded = roundedIconImage(image);
        ASSERT_TRUE(rounded);
        EXPECT_TRUE(samePixels(*rounded, *drawnThroughCircle(*image)))
            << picture.width << "x" << picture.height << " at " << picture.scale;
    }
    EXPECT_EQ(roundedIconImage(nullptr), nullptr);
}

// What turning white is: the glyph copied in, then white painted in difference mode through its alpha.
std::shared_ptr<UIImage> drawnWhite(const UIImage& image) {
    const CGSize size = image.size();
    const CGRect rect = CGRectMake(0, 0, size.width, size.height);
    return drawnImage(size, image.scale(), [&](const CGContextRef& context) {
        CGContextSetBlendMode(context, kCGBlendModeCopy);
        image.drawInRect(rect);
        CGContextSetBlendMode(context, kCGBlendModeDifference);
        CGContextTranslateCTM(context, 0, size.height);
        CGContextScaleCTM(context, 1, -1);
        CGContextClipToMask(context, rect, image.CGImage());
        CGContextSetRGBFillColor(context, 1, 1, 1, 1);
        CGContextFillRect(context, rect);
    });
}

TEST_F(IconTest, WhiteGlyphsArePixelForPixelTheGlyphDrawnWhite) {
    int compared = 0;
    for (const std::string_view id : allowedFunctionIds) {
        for (const int size : {20, 30, 40, 50}) {
            const auto black = icon(id, size, 1);
            if (!black)
                continue;
            const auto white = whiteGlyphImage(black);
            ASSERT_TRUE(white);
            EXPECT_EQ(white->size(), black->size());
            EXPECT_TRUE(samePixels(*white, *drawnWhite(*black))) << id << " " << size;
            EXPECT_TRUE(samePixels(*white, *icon(id, size, 2))) << id << " " << size;
            ++compared;
        }
    }
    EXPECT_GT(compared, 40);
}

// Every channel value against every alpha, premultiplied or not (a channel above its alpha), in each channel
// on its own, at odd sides and each scale; a turned picture too.
TEST_F(IconTest, AnyPictureTurnsWhiteAsItDrawsWhite) {
    const struct {
        std::size_t width, height;
        CGFloat scale;
        UIImageOrientation orientation;
    } pictures[] = {{256, 256, 2, UIImageOrientationUp}, {256, 256, 1, UIImageOrientationUp},
                    {256, 256, 3, UIImageOrientationUp}, {37, 53, 3, UIImageOrientationUp},
                    {50, 30, 2, UIImageOrientationLeft}, {1, 1, 1, UIImageOrientationUp}};
    for (const auto& picture : pictures) {
        std::vector<std::uint32_t> pixels(picture.width * picture.height);
        for (std::size_t index = 0; index < pixels.size(); ++index) {
            const std::uint32_t channel = index % 256;
            const std::uint32_t alpha = (index / 256 + index) % 256;
            pixels[index] = alpha << 24 | (channel * 3 / 4) << 16 | (255 - channel) << 8 | channel;
        }
        const auto image = UIImage::imageWithCGImage(CGImageCreate(picture.width, picture.height, pixels),
                                                     picture.scale, picture.orientation);
        ASSERT_TRUE(image);
        const auto white = whiteGlyphImage(image);
        ASSERT_TRUE(white);
        EXPECT_EQ(white->size(), image->size());
        EXPECT_TRUE(samePixels(*white, *drawnWhite(*image)))
            << picture.width << "x" << picture.height << " at " << picture.scale;
    }
    EXPECT_EQ(whiteGlyphImage(nullptr), nullptr);
}

} // namespace
