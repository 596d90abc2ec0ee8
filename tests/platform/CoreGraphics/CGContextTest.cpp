#include "GraphicsTestSupport.h"

#include <array>
#include <numbers>

namespace {

constexpr CGRect whole = {{0, 0}, {4, 4}};
using Quadrants = std::array<bool, 4>; // top left, top right, bottom left, bottom right

// A 4 x 4 bitmap context, read back through snapshots (row 0 at the top).
struct Bitmap {
    CGContextRef context = CGBitmapContextCreate(4, 4);

    void fill(CGRect rect, RGBA c) const {
        CGContextSetRGBFillColor(context, c.red / 255.0, c.green / 255.0, c.blue / 255.0, c.alpha / 255.0);
        CGContextFillRect(context, rect);
    }
    RGBA at(std::size_t x, std::size_t y) const { return CGBitmapContextCreateImage(context)->pixelAt(x, y); }
    Quadrants quadrantsOf(RGBA colour) const {
        return {at(0, 0) == colour, at(3, 0) == colour, at(0, 3) == colour, at(3, 3) == colour};
    }
};

// Opaque in its top half as stored.
const CGImageRef topHalf = imageOf(4, 4, [](std::size_t, std::size_t y) { return y < 2 ? black : clear; });

TEST(CGContextGeometry, UserSpaceIsBottomLeftYUpAndTheCTMAppliesNewStepsFirst) {
    EXPECT_EQ(CGBitmapContextCreate(0, 4), nullptr);
    EXPECT_EQ(CGBitmapContextCreate(CGImage::maximumSide + 1, 1), nullptr);
    const Bitmap origin;
    EXPECT_EQ(origin.at(0, 3), clear) << "a new bitmap is transparent";
    origin.fill(CGRectMake(0, 0, 1, 1), red);
    EXPECT_EQ(origin.quadrantsOf(red), (Quadrants{false, false, true, false}));

    const Bitmap moved;
    CGContextTranslateCTM(moved.context, 2, 0);
    CGContextScaleCTM(moved.context, 1, 2);
    EXPECT_EQ(CGContextGetCTM(moved.context), (CGAffineTransform{1, 0, 0, 2, 2, 0}));
    moved.fill(CGRectMake(0, 1, 2, 1), blue);
    EXPECT_EQ(moved.quadrantsOf(blue), (Quadrants{false, true, false, false}));

    const Bitmap turned;
    CGContextRotateCTM(turned.context, std::numbers::pi / 2); // (x, y) shows at (-y, x)
    turned.fill(CGRectMake(0, -2, 4, 2), green);
    EXPECT_EQ(turned.quadrantsOf(green), (Quadrants{true, false, true, false}));

    CGContextScaleCTM(turned.context, 0, 1);
    turned.fill(whole, red);
    CGContextDrawImage(turned.context, whole, topHalf);
    EXPECT_EQ(turned.quadrantsOf(green), (Quadrants{true, false, true, false}))
        << "a singular CTM draws nothing";
}

TEST(CGContextState, RestoreBringsBackEverythingSaved) {
    const Bitmap bitmap;
    CGContextSaveGState(bitmap.context);
    CGContextTranslateCTM(bitmap.context, 2, 2);
    CGContextSetRGBFillColor(bitmap.context, 1, 0, 0, 1);
    CGContextSetAlpha(bitmap.context, 0.5);
    CGContextSetBlendMode(bitmap.context, kCGBlendModeCopy);
    CGContextSetLineWidth(bitmap.context, 8);
    CGContextClipToRect(bitmap.context, CGRectMake(0, 0, 1, 1));
    CGContextClipToMask(bitmap.context, CGRectMake(-2, -2, 4, 4), topHalf);
    CGContextRestoreGState(bitmap.context);
    CGContextRestoreGState(bitmap.context); // one more than was saved: ignored

    EXPECT_EQ(CGContextGetCTM(bitmap.context), CGAffineTransformIdentity);
    CGContextFillRect(bitmap.context, whole);
    EXPECT_EQ(bitmap.quadrantsOf(black), (Quadrants{true, true, true, true})) << "default fill, unclipped";
    CGContextClearRect(bitmap.context, whole);
    CGContextStrokeRect(bitmap.context, CGRectMake(0.5, 0.5, 3, 3));
    EXPECT_EQ(bitmap.at(3, 2), black);
    EXPECT_EQ(bitmap.at(1, 1), clear) << "the line is one pixel wide again";
}

TEST(CGContextBlending, NormalCopyDifferenceAndClear) {
    const Bitmap bitmap;
    bitmap.fill(whole, {51, 102, 153, 255});
    CGContextSetAlpha(bitmap.context, 0.5);
    bitmap.fill(CGRectMake(2, 0, 2, 4), {255, 255, 255, 128});
    EXPECT_TRUE(isNear(bitmap.at(3, 0), {102, 140, 178, 255}))
        << "over, at the colour's alpha times the context's";

    CGContextSetAlpha(bitmap.context, 1);
    CGContextClipToRect(bitmap.context, CGRectMake(0, 2, 4, 2)); // the top half
    CGContextSetBlendMode(bitmap.context, kCGBlendModeCopy);
    bitmap.fill(CGRectMake(0, 0, 2, 4), {0, 0, 255, 128});
    EXPECT_TRUE(isNear(bitmap.at(0, 0), {0, 0, 255, 128}, 1))
        << "copy replaces within the shape and the clip";
    EXPECT_EQ(bitmap.at(0, 3), (RGBA{51, 102, 153, 255}));

    CGContextSetBlendMode(bitmap.context, kCGBlendModeDifference);
    bitmap.fill(CGRectMake(0, 0, 4, 4), white);
    EXPECT_TRUE(isNear(bitmap.at(3, 0), {153, 115, 77, 255}));
    CGContextSetBlendMode(bitmap.context, kCGBlendModeClear);
    bitmap.fill(CGRectMake(2, 0, 2, 4), white);
    EXPECT_EQ(bitmap.quadrantsOf(clear), (Quadrants{false, true, false, false}));
}

TEST(CGContextImages, ImagesAreUprightAndStretchedWithSharpEdges) {
    const auto quarters = imageOf(2, 2, [](std::size_t x, std::size_t y) {
        return y == 0 ? (x == 0 ? red : green) : (x == 0 ? blue : white);
    });
    const auto context = CGBitmapContextCreate(8, 8);
    CGContextDrawImage(context, CGRectMake(2, 2, 4, 4), quarters);
    const auto drawn = CGBitmapContextCreateImage(context);
    EXPECT_EQ(drawn->pixelAt(2, 2), red) << "stored row 0 along the rectangle's max y: the top";
    EXPECT_EQ(drawn->pixelAt(5, 2), green);
    EXPECT_EQ(drawn->pixelAt(2, 5), blue);
    EXPECT_EQ(drawn->pixelAt(5, 5), white);
    for (std::size_t i = 2; i < 6; ++i) {
        EXPECT_EQ(drawn->pixelAt(i, 2).alpha, 255) << "top edge " << i;
        EXPECT_EQ(drawn->pixelAt(6, i), clear) << "beside it " << i;
    }
}

// Every pixel of a 9 x 7 image its own colour, half of them translucent: whole blocks of four and odd edges.
const CGImageRef distinct = imageOf(9, 7, [](std::size_t x, std::size_t y) {
    return RGBA{std::uint8_t(25 * x + 10), std::uint8_t(30 * y + 10), 200,
                std::uint8_t((x + y) % 2 ? 255 : 128)};
});

// The eight turns and mirrors of the image into an 11 x 11 bitmap, at an offset, one pixel per pixel.
CGImageRef drawTurned(int quarterTurns, bool mirrored, bool clipped) {
    const auto context = CGBitmapContextCreate(11, 11);
    if (clipped)
        CGContextClipToRect(context, CGRectMake(0, 0, 11, 11));
    CGContextTranslateCTM(context, 5.5, 5.5);
    CGContextRotateCTM(context, quarterTurns * std::numbers::pi / 2);
    CGContextScaleCTM(context, mirrored ? -1 : 1, 1);
    CGContextDrawImage(context, CGRectMake(-4.5, -3.5, 9, 7), distinct);
    return CGBitmapContextCreateImage(context);
}

TEST(CGContextImages, RightAngleTurnsMovePixelsExactlyAsResamplingWould) {
    for (int turns = 0; turns < 4; ++turns) {
        for (const bool mirrored : {false, true}) {
            SCOPED_TRACE(testing::Message() << turns << " quarter turns, mirrored " << mirrored);
            const auto direct = drawTurned(turns, mirrored, false);
            const auto resampled = drawTurned(turns, mirrored, true);
            std::size_t covered = 0;
            for (std::size_t y = 0; y < 11; ++y) {
                for (std::size_t x = 0; x < 11; ++x) {
                    EXPECT_EQ(direct->pixelAt(x, y), resampled->pixelAt(x, y)) << x << ", " << y;
                    covered += direct->pixelAt(x, y).alpha != 0;
                }
            }
            EXPECT_EQ(covered, 63u);
        }
    }
}

TEST(CGContextImages, AnImageOfAContextKeepsItsPixelsWhenTheContextDrawsAgain) {
    Bitmap bitmap;
    bitmap.fill(whole, red);
    const auto before = CGBitmapContextCreateImage(bitmap.context);
    CGContextSetBlendMode(bitmap.context, kCGBlendModeCopy);
    CGContextDrawImage(bitmap.context, whole, solidImage(4, 4, blue));
    bitmap.fill(CGRectMake(0, 0, 1, 1), green);
    EXPECT_EQ(before->pixelAt(3, 3), red);
    EXPECT_EQ(bitmap.at(3, 3), blue);
    EXPECT_EQ(bitmap.at(0, 3), green);
    const auto over = CGBitmapContextCreate(2, 2);
    CGContextDrawImage(over, CGRectMake(0, 0, 2, 2), solidImage(2, 2, {0, 0, 255, 128}));
    CGContextDrawImage(over, CGRectMake(0, 0, 2, 2), solidImage(2, 2, {0, 0, 255, 128}));
    EXPECT_TRUE(isNear(CGBitmapContextCreateImage(over)->pixelAt(1, 1), {0, 0, 255, 192}))
        << "the second image blends over the first";
}

TEST(CGContextMasks, MasksClipUprightOverTheirRectangleNestAndKeepMaskedOutPixels) {
    const Bitmap partial;
    CGContextClipToMask(partial.context, CGRectMake(0, 0, 2, 2), solidImage(1, 1, {0, 0, 0, 128}));
    partial.fill(whole, red);
    EXPECT_TRUE(isNear(partial.at(0, 3), {255, 0, 0, 128}, 1))
        << "stretched over the rectangle, at its alpha";
    EXPECT_EQ(partial.quadrantsOf(clear), (Quadrants{true, true, false, true}));

    const auto leftHalf = imageOf(4, 4, [](std::size_t x, std::size_t) { return x < 2 ? black : clear; });
    const Bitmap nested;
    nested.fill(whole, blue);
    CGContextSaveGState(nested.context);
    CGContextClipToMask(nested.context, whole, topHalf);
    CGContextSaveGState(nested.context);
    CGContextClipToMask(nested.context, whole, leftHalf);
    CGContextSetBlendMode(nested.context, kCGBlendModeCopy);
    nested.fill(whole, clear);
    EXPECT_EQ(nested.quadrantsOf(clear), (Quadrants{true, false, false, false}));
    CGContextRestoreGState(nested.context);
    CGContextSetBlendMode(nested.context, kCGBlendModeDifference);
    nested.fill(whole, white);
    EXPECT_EQ(nested.quadrantsOf(white), (Quadrants{true, false, false, false}));
    EXPECT_TRUE(isNear(nested.at(3, 0), {255, 255, 0, 255}, 1));
    CGContextRestoreGState(nested.context);
    nested.fill(CGRectMake(0, 0, 4, 2), green);
    EXPECT_EQ(nested.quadrantsOf(green), (Quadrants{false, false, true, true}));
}

TEST(CGContextPaths, RoundedRectRadiiAreLimitedAndPathsKeepTheCTMTheyWereAddedUnder) {
    CGPath path;
    path.addRoundedRect(CGRectMake(0, 0, 20, 10), 20, 30);
    EXPECT_EQ(path.elements().at(0).cornerWidth, 5);
    EXPECT_EQ(path.elements().at(0).cornerHeight, 5);

    const Bitmap bitmap;
    CGPath square;
    square.addRect(CGRectMake(0, 0, 1, 1));
    CGContextTranslateCTM(bitmap.context, 3, 3);
    CGContextAddPath(bitmap.context, square);
    CGContextTranslateCTM(bitmap.context, -3, -3);
    CGContextFillPath(bitmap.context);
    EXPECT_EQ(bitmap.quadrantsOf(black), (Quadrants{false, true, false, false}));
}

TEST(CGContextLayers, ALayerFadesAsOnePicture) {
    const Bitmap bitmap;
    CGContextSetAlpha(bitmap.context, 0.5);
    CGContextBeginTransparencyLayer(bitmap.context);
    bitmap.fill(CGRectMake(0, 0, 3, 4), red);
    bitmap.fill(CGRectMake(1, 0, 3, 4), blue);
    CGContextRestoreGState(bitmap.context); // matches no save: must not end the layer
    EXPECT_EQ(bitmap.at(1, 1), clear) << "nothing shows before the layer ends";
    CGContextEndTransparencyLayer(bitmap.context);
    EXPECT_TRUE(isNear(bitmap.at(0, 0), {255, 0, 0, 128}, 1));
    EXPECT_TRUE(isNear(bitmap.at(1, 0), {0, 0, 255, 128}, 1)) << "the overlap is not faded twice";
}

} // namespace
