#include "UIKit/UIImage.h"
#include "GraphicsTestSupport.h"
#include "support/TemporaryDevice.h"

namespace {

enum Corner { topLeft, topRight, bottomLeft, bottomRight };

// UIKit's orientations are EXIF's: left is turned a quarter anticlockwise, right a quarter clockwise, and the
// mirrored ones are flipped first. Each case says where the stored image's top-left and top-right pixels show
// when it is drawn upright.
struct OrientationCase {
    UIImageOrientation orientation;
    bool sidesSwap;
    Corner storedTopLeft, storedTopRight;
};
constexpr OrientationCase orientationCases[] = {
    {UIImageOrientationUp, false, topLeft, topRight},
    {UIImageOrientationDown, false, bottomRight, bottomLeft},
    {UIImageOrientationLeft, true, bottomLeft, topLeft},
    {UIImageOrientationRight, true, topRight, bottomRight},
    {UIImageOrientationUpMirrored, false, topRight, topLeft},
    {UIImageOrientationDownMirrored, false, bottomLeft, bottomRight},
    {UIImageOrientationLeftMirrored, true, topLeft, bottomLeft},
    {UIImageOrientationRightMirrored, true, bottomRight, topRight},
};

// 6 x 4 pixels: red at the top left, green at the top right, blue elsewhere.
const CGImageRef marked = imageOf(6, 4, [](std::size_t x, std::size_t y) {
    return y > 0 || (x > 0 && x < 5) ? blue : (x == 0 ? red : green);
});

RGBA cornerOf(const CGImage& image, Corner corner) {
    const bool right = corner == topRight || corner == bottomRight;
    const bool bottom = corner == bottomLeft || corner == bottomRight;
    return image.pixelAt(right ? image.width() - 1 : 0, bottom ? image.height() - 1 : 0);
}

void expectUpright(const CGImageRef& image, const OrientationCase& each) {
    ASSERT_NE(image, nullptr);
    EXPECT_EQ(image->width(), each.sidesSwap ? 4u : 6u);
    EXPECT_EQ(cornerOf(*image, each.storedTopLeft), red);
    EXPECT_EQ(cornerOf(*image, each.storedTopRight), green);
}

TEST(UIImageOrientations, SizeDrawingAndPNGAreUpright) {
    for (const auto& each : orientationCases) {
        SCOPED_TRACE(each.orientation);
        const auto image = UIImage::imageWithCGImage(marked, 2, each.orientation);
        EXPECT_EQ(image->size(), each.sidesSwap ? (CGSize{2, 3}) : (CGSize{3, 2}));
        {
            const ImageContext open(image->size(), 2);
            image->drawAtPoint(CGPointMake(0, 0));
            expectUpright(CGBitmapContextCreateImage(open.context()), each);
        }
        expectUpright(CGImageCreateWithPNGData(UIImagePNGRepresentation(*image)), each);
    }
    EXPECT_EQ(UIImage::imageWithCGImage(marked, 0, UIImageOrientationUp), nullptr);
}

TEST(UIImageDrawing, DrawInRectStretchesWithTheBlendModeAndAlphaGiven) {
    const auto blue1x1 = UIImage::imageWithCGImage(solidImage(1, 1, blue), 1, UIImageOrientationUp);
    const ImageContext open({4, 4});
    UIRectFill(CGRectMake(0, 0, 4, 4));
    blue1x1->drawInRect(CGRectMake(1, 1, 2, 2), kCGBlendModeNormal, 0.5);
    EXPECT_TRUE(isNear(open.at(2, 2), {0, 0, 128, 255}, 1));
    EXPECT_EQ(open.at(0, 0), black);
    UIImage::imageWithCGImage(solidImage(1, 1, clear), 1, UIImageOrientationUp)
        ->drawInRect(CGRectMake(0, 0, 2, 2), kCGBlendModeCopy, 1);
    EXPECT_EQ(open.at(1, 1), clear);
    EXPECT_TRUE(isNear(open.at(2, 2), {0, 0, 128, 255}, 1)) << "copy replaced only the rect";
}

TEST(UIImageFiles, TheDoubleScaleFileIsPreferredOnADoubleScaleScreen) {
    const TemporaryDevice device;
    const auto png = [](std::size_t side, RGBA colour) {
        return CGImagePNGRepresentation(solidImage(side, side, colour));
    };
    device.writeBytes("/icons/a.png", png(2, red));
    device.writeBytes("/icons/a@2x.png", png(4, blue));
    device.writeBytes("/icons/plain.png", png(2, red));
    device.writeBytes("/icons/broken.png", png(2, red));
    device.writeText("/icons/broken@2x.png", "not a picture");
    const auto load = [](const char* path) { return UIImage::imageWithContentsOfFile(path); };
    {
        const ScreenScale screen(2);
        ASSERT_NE(load("/icons/a.png"), nullptr);
        EXPECT_EQ(load("/icons/a.png")->scale(), 2);
        EXPECT_EQ(load("/icons/a.png")->size(), (CGSize{2, 2}));
        EXPECT_EQ(load("/icons/a.png")->CGImage()->pixelAt(0, 0), blue);
        for (const auto* path : {"/icons/plain.png", "/icons/broken.png"}) {
            ASSERT_NE(load(path), nullptr) << path;
            EXPECT_EQ(load(path)->scale(), 1) << path;
        }
    }
    const ScreenScale screen(1);
    ASSERT_NE(load("/icons/a.png"), nullptr);
    EXPECT_EQ(load("/icons/a.png")->CGImage()->pixelAt(0, 0), red);
    EXPECT_EQ(load("/icons/missing.png"), nullptr);
    EXPECT_EQ(load("/icons"), nullptr) << "a folder";
}

} // namespace
