#include "GraphicsTestSupport.h"
#include "UIKit/UIBezierPath.h"
#include "UIKit/UIImage.h"

namespace {

TEST(UIGraphicsContexts, PixelsCoverThePointsAtTheScale) {
    const ScreenScale screen(3);
    struct Case {
        CGSize points;
        CGFloat scale;
        std::size_t width, height;
    };
    for (const Case& each : {Case{{3, 2}, 2, 6, 4}, Case{{3, 2}, 0, 9, 6}, Case{{2.5, 1.2}, 2, 5, 3},
                             Case{{0.1 + 0.2, 1}, 10, 3, 10}}) {
        const ImageContext open(each.points, each.scale);
        const auto image = UIGraphicsGetImageFromCurrentImageContext();
        ASSERT_NE(image, nullptr);
        EXPECT_EQ(image->CGImage()->width(), each.width) << each.points.width << " at " << each.scale;
        EXPECT_EQ(image->CGImage()->height(), each.height) << each.points.height << " at " << each.scale;
        EXPECT_EQ(image->scale(), each.scale > 0 ? each.scale : 3);
    }
}

TEST(UIGraphicsContexts, UserSpaceIsTopLeftInPointsAndContextsStack) {
    EXPECT_EQ(UIGraphicsGetImageFromCurrentImageContext(), nullptr);
    const ImageContext outer({3, 2}, 2);
    EXPECT_EQ(CGContextGetCTM(outer.context()), (CGAffineTransform{2, 0, 0, -2, 0, 4}));
    CGContextFillRect(outer.context(), CGRectMake(0, 0, 1, 1));
    EXPECT_EQ(outer.at(1, 1), black);
    EXPECT_EQ(outer.at(2, 0), clear);
    EXPECT_EQ(outer.at(0, 2), clear);
    const auto outerContext = outer.context();
    {
        const ImageContext opaque({1, 1}, 1, true);
        EXPECT_EQ(opaque.at(0, 0), black) << "an opaque context starts black";
        const ImageContext empty({0, 5}, 1);
        EXPECT_EQ(empty.context(), nullptr);
    }
    EXPECT_EQ(UIGraphicsGetCurrentContext(), outerContext);
}

TEST(UIGraphicsContexts, RectFillReplacesWhateverTheBlendMode) {
    const ImageContext open({2, 1});
    UIRectFill(CGRectMake(0, 0, 2, 1));
    CGContextSetRGBFillColor(open.context(), 0, 0, 1, 0.5);
    CGContextSetBlendMode(open.context(), kCGBlendModeDifference);
    UIRectFill(CGRectMake(0, 0, 1, 1));
    EXPECT_TRUE(isNear(open.at(0, 0), {0, 0, 255, 128}, 1));
    EXPECT_EQ(open.at(1, 0), black);
}

TEST(UIGraphicsImages, AnImageIsUprightInAUIKitContextButNotThroughTheBareCoreGraphicsCall) {
    const auto topRowRed = imageOf(2, 2, [](std::size_t, std::size_t y) { return y == 0 ? red : blue; });
    const ImageContext open({2, 2});
    UIImage::imageWithCGImage(topRowRed, 1, UIImageOrientationUp)->drawInRect(CGRectMake(0, 0, 2, 2));
    EXPECT_EQ(open.at(1, 0), red);
    EXPECT_EQ(open.at(1, 1), blue);
    CGContextDrawImage(open.context(), CGRectMake(0, 0, 2, 2), topRowRed);
    EXPECT_EQ(open.at(1, 0), blue);
}

// Copy the glyph in, then with difference fill white through the glyph as a mask, in the unflipped space so
// that the mask lies over the glyph.
TEST(UIGraphicsImages, TheWhiteGlyphRecipeWhitensTheGlyphAndLeavesTheRestClear) {
    const auto glyph = imageOf(8, 8, [](std::size_t x, std::size_t y) {
        return (x == 1 && y <= 3) || (y == 3 && x <= 3) ? black : clear; // an L in the top left
    });
    const auto image = UIImage::imageWithCGImage(glyph, 2, UIImageOrientationUp);
    const CGRect rect = {{0, 0}, image->size()};
    const ImageContext open(image->size(), image->scale());
    const auto context = open.context();
    CGContextSetBlendMode(context, kCGBlendModeCopy);
    image->drawInRect(rect, kCGBlendModeCopy, 1);
    CGContextSetBlendMode(context, kCGBlendModeDifference);
    CGContextTranslateCTM(context, 0, image->size().height);
    CGContextScaleCTM(context, 1, -1);
    CGContextClipToMask(context, rect, image->CGImage());
    CGContextSetRGBFillColor(context, 1, 1, 1, 1);
    CGContextFillRect(context, rect);
    for (std::size_t i = 0; i < 64; ++i)
        EXPECT_EQ(open.at(i % 8, i / 8), glyph->pixelAt(i % 8, i / 8).alpha ? white : clear)
            << i % 8 << "," << i / 8;
}

TEST(UIBezierPaths, ARoundedRectClipWithTheWidthAsRadiusIsACircle) {
    const ImageContext open({10, 10}, 2);
    UIBezierPath::bezierPathWithRoundedRect(CGRectMake(0, 0, 10, 10), 10)->addClip();
    UIBezierPath::bezierPathWithRect(CGRectMake(0, 0, 10, 10))->fill();
    for (const auto& [x, y] : {std::pair{0, 0}, {19, 0}, {0, 19}, {19, 19}, {1, 1}, {18, 1}})
        EXPECT_EQ(open.at(x, y), clear) << "corner " << x << "," << y;
    EXPECT_EQ(open.at(10, 10), black);
    for (const auto& [x, y] : {std::pair{10, 0}, {0, 10}, {19, 10}, {10, 19}})
        EXPECT_GE(open.at(x, y).alpha, 192)
            << "the circle reaches the middle of each side: " << x << "," << y;
}

} // namespace
