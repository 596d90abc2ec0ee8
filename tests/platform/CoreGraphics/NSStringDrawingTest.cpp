#include "UIKit/NSStringDrawing.h"
#include "GraphicsTestSupport.h"

namespace {

// The bounding box of the pixels that are not transparent; empty when there are none.
CGRect inkBox(const ImageContext& context, std::size_t width, std::size_t height) {
    const auto image = CGBitmapContextCreateImage(context.context());
    std::size_t left = width, right = 0, top = height, bottom = 0;
    for (std::size_t y = 0; y < height; ++y) {
        for (std::size_t x = 0; x < width; ++x) {
            if (image->pixelAt(x, y).alpha == 0)
                continue;
            left = std::min(left, x), right = std::max(right, x + 1);
            top = std::min(top, y), bottom = std::max(bottom, y + 1);
        }
    }
    return left < right ? CGRectMake(left, top, right - left, bottom - top) : CGRectZero;
}

TEST(NSStringDrawing, TextWrapsAtWordsAndGrowsWithTheFontSize) {
    const NSStringAttributes body{13, false, UIColor::blackColor(), NSTextAlignmentLeft};
    const NSStringAttributes large{26, true, UIColor::blackColor(), NSTextAlignmentLeft};
    const CGSize line = NSStringBoundingSize("Open App Store", 1000, body);
    const CGSize wrapped = NSStringBoundingSize("Open App Store", 40, body);
    EXPECT_GT(line.width, 40);
    EXPECT_GT(line.height, 10);
    EXPECT_LE(wrapped.width, 40);
    EXPECT_GE(wrapped.height, 2 * line.height) << "three words, one a line";
    EXPECT_GT(NSStringBoundingSize("Open App Store", 1000, large).height, 1.8 * line.height);
    EXPECT_EQ(NSStringBoundingSize("", 100, body).width, 0);
}

TEST(NSStringDrawing, TextIsDrawnUprightInsideItsRectInTheColourAndAlignmentAsked) {
    const ImageContext context({120, 40}, 2);
    const NSStringAttributes centred{13, false, UIColor::colorWithRed(1, 0, 0, 1), NSTextAlignmentCenter};
    NSStringDrawInRect("OK", CGRectMake(20, 10, 80, 20), centred);
    const CGRect ink = inkBox(context, 240, 80);
    ASSERT_GT(ink.size.width, 0);
    EXPECT_GE(ink.origin.x, 40);
    EXPECT_LE(CGRectGetMaxX(ink), 200);
    EXPECT_GE(ink.origin.y, 20) << "below the rect's top: user space is top-left, as in UIKit";
    EXPECT_LE(CGRectGetMaxY(ink), 60);
    EXPECT_NEAR(ink.origin.x + ink.size.width / 2, 120, 6) << "centred in the rect";
    bool sawRed = false;
    for (std::size_t x = std::size_t(ink.origin.x); x < std::size_t(CGRectGetMaxX(ink)); ++x)
        sawRed = sawRed || isNear(context.at(x, std::size_t(ink.origin.y + ink.size.height / 2)), red, 40);
    EXPECT_TRUE(sawRed);

    const ImageContext cut({120, 40}, 1);
    NSStringDrawInRect("A long line of text that does not fit", CGRectMake(0, 0, 120, 8), centred);
    EXPECT_LE(CGRectGetMaxY(inkBox(cut, 120, 40)), 8) << "what does not fit is cut off";
}

} // namespace
