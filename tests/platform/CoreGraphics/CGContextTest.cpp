#include "GraphicsTestSupport.h"

#include <numbers>

namespace {

constexpr CGRect whole = {{0, 0}, {4, 4}};

CGContextRef fourByFour() {
    auto context = CGBitmapContextCreate(4, 4);
    EXPECT_NE(context, nullptr);
    return context;
}

void fill(const CGContextRef& context, CGRect rect, RGBA colour) {
    CGContextSetRGBFillColor(context, colour.red / 255.0, colour.green / 255.0, colour.blue / 255.0,
                             colour.alpha / 255.0);
    CGContextFillRect(context, rect);
}

// Top half opaque, bottom half transparent, as stored (row 0 at the top).
CGImageRef topHalfMask(std::size_t side) {
    return imageOf(side, side,
                   [side](std::size_t, std::size_t y) { return y < side / 2 ? opaqueBlack : transparent; });
}

// Which of the four 2x2 quadrants of a 4x4 bitmap hold `colour`: top left, top right, bottom left, bottom
// right.
std::array<bool, 4> quadrantsOf(const CGContextRef& context, RGBA colour) {
    const auto image = CGBitmapContextCreateImage(context);
    return {image->pixelAt(0, 0) == colour, image->pixelAt(3, 0) == colour, image->pixelAt(0, 3) == colour,
            image->pixelAt(3, 3) == colour};
}

TEST(CGBitmapContext, IsMadeOnlyWithinTheImageLimits) {
    EXPECT_EQ(CGBitmapContextCreate(0, 4), nullptr);
    EXPECT_EQ(CGBitmapContextCreate(4, 0), nullptr);
    EXPECT_EQ(CGBitmapContextCreate(CGImage::maximumSide + 1, 1), nullptr);
    const auto context = CGBitmapContextCreate(5, 3);
    ASSERT_NE(context, nullptr);
    EXPECT_EQ(CGBitmapContextGetWidth(context), 5u);
    EXPECT_EQ(CGBitmapContextGetHeight(context), 3u);
    const auto image = CGBitmapContextCreateImage(context);
    ASSERT_NE(image, nullptr);
    EXPECT_TRUE(std::ranges::all_of(image->pixels(), [](std::uint32_t pixel) { return pixel == 0; }));
}

TEST(CGBitmapContext, SnapshotsDoNotChangeWithLaterDrawing) {
    const auto context = fourByFour();
    fill(context, whole, opaqueRed);
    const auto before = CGBitmapContextCreateImage(context);
    fill(context, whole, opaqueBlue);
    EXPECT_EQ(before->pixelAt(1, 1), opaqueRed);
    EXPECT_EQ(pixelOf(context, 1, 1), opaqueBlue);
}

TEST(CGContextGeometry, UserSpaceStartsAtTheBottomLeftWithYUp) {
    const auto context = fourByFour();
    fill(context, CGRectMake(0, 0, 1, 1), opaqueRed);
    EXPECT_EQ(pixelOf(context, 0, 3), opaqueRed) << "bottom left";
    EXPECT_EQ(pixelOf(context, 0, 0), transparent) << "top left";
    EXPECT_EQ(CGContextGetCTM(context), CGAffineTransformIdentity);
}

TEST(CGContextGeometry, CTMOperationsApplyTheNewStepFirst) {
    const auto context = fourByFour();
    CGContextTranslateCTM(context, 1, 2);
    CGContextScaleCTM(context, 2, 0.5);
    EXPECT_EQ(CGContextGetCTM(context), (CGAffineTransform{2, 0, 0, 0.5, 1, 2}));
    fill(context, CGRectMake(0, 0, 1, 2), opaqueRed); // x 1..3, y 2..3 in pixels, y up
    const auto image = CGBitmapContextCreateImage(context);
    EXPECT_EQ(image->pixelAt(1, 1), opaqueRed);
    EXPECT_EQ(image->pixelAt(2, 1), opaqueRed);
    EXPECT_EQ(image->pixelAt(0, 1), transparent);
    EXPECT_EQ(image->pixelAt(3, 1), transparent);
    EXPECT_EQ(image->pixelAt(1, 0), transparent);
    EXPECT_EQ(image->pixelAt(1, 2), transparent);

    const auto turned = fourByFour();
    CGContextRotateCTM(turned, std::numbers::pi / 2); // (x, y) shows at (-y, x)
    fill(turned, CGRectMake(0, -4, 1, 4), opaqueBlue);
    EXPECT_EQ(pixelOf(turned, 0, 3), opaqueBlue);
    EXPECT_EQ(pixelOf(turned, 3, 3), opaqueBlue);
    EXPECT_EQ(pixelOf(turned, 3, 2), transparent);

    const auto concatenated = fourByFour();
    CGContextConcatCTM(concatenated, CGAffineTransformMakeTranslation(3, 0));
    fill(concatenated, CGRectMake(0, 0, 1, 4), opaqueGreen);
    EXPECT_EQ(pixelOf(concatenated, 3, 0), opaqueGreen);
    EXPECT_EQ(pixelOf(concatenated, 2, 0), transparent);
}

TEST(CGContextGeometry, ASingularCTMDrawsNothingAndBreaksNothing) {
    const auto context = fourByFour();
    CGContextSaveGState(context);
    CGContextScaleCTM(context, 0, 1);
    fill(context, whole, opaqueRed);
    CGContextDrawImage(context, whole, solidImage(1, 1, opaqueRed));
    CGContextRestoreGState(context);
    EXPECT_EQ(pixelOf(context, 1, 1), transparent);
    fill(context, whole, opaqueBlue);
    EXPECT_EQ(pixelOf(context, 1, 1), opaqueBlue);
}

TEST(CGContextState, RestoreBringsBackEverythingSaved) {
    const auto context = fourByFour();
    CGContextSaveGState(context);
    CGContextTranslateCTM(context, 2, 2);
    CGContextSetRGBFillColor(context, 1, 0, 0, 1);
    CGContextSetRGBStrokeColor(context, 0, 1, 0, 1);
    CGContextSetAlpha(context, 0.5);
    CGContextSetBlendMode(context, kCGBlendModeCopy);
    CGContextSetLineWidth(context, 8);
    CGContextClipToRect(context, CGRectMake(0, 0, 1, 1));
    CGContextClipToMask(context, CGRectMake(-2, -2, 4, 4), topHalfMask(4));
    CGContextRestoreGState(context);
    CGContextRestoreGState(context); // one more than saved: nothing to restore

    EXPECT_EQ(CGContextGetCTM(context), CGAffineTransformIdentity);
    CGContextFillRect(context, whole); // the default fill: opaque black, everywhere, over, full alpha
    EXPECT_EQ(quadrantsOf(context, opaqueBlack), (std::array{true, true, true, true}));
    CGContextClearRect(context, whole);
    CGContextStrokeRect(context, CGRectMake(0.5, 0.5, 3, 3)); // default stroke: black, one pixel wide
    EXPECT_EQ(pixelOf(context, 0, 0), opaqueBlack);
    EXPECT_EQ(pixelOf(context, 3, 2), opaqueBlack);
    EXPECT_EQ(pixelOf(context, 1, 1), transparent) << "a wider line would reach inside";
}

TEST(CGContextBlending, NormalCompositesOverWithTheGlobalAlpha) {
    const auto context = fourByFour();
    fill(context, whole, opaqueRed);
    CGContextSetAlpha(context, 0.5);
    fill(context, whole, opaqueBlue);
    EXPECT_TRUE(isNear(pixelOf(context, 0, 0), {127, 0, 128, 255}));

    const auto empty = fourByFour();
    CGContextSetAlpha(empty, 0.5);
    fill(empty, whole, {0, 0, 255, 128});
    EXPECT_TRUE(isNear(pixelOf(empty, 0, 0), {0, 0, 255, 64})) << "the colour's alpha times the context's";
}

TEST(CGContextBlending, CopyReplacesWithinTheShapeAndTheClip) {
    const auto context = fourByFour();
    fill(context, whole, opaqueRed);
    CGContextClipToRect(context, CGRectMake(0, 0, 4, 2)); // the bottom half
    CGContextSetBlendMode(context, kCGBlendModeCopy);
    fill(context, CGRectMake(0, 0, 2, 4), {0, 0, 255, 128});
    EXPECT_TRUE(isNear(pixelOf(context, 0, 3), {0, 0, 255, 128}, 1))
        << "bottom left: replaced, not composited";
    EXPECT_EQ(pixelOf(context, 3, 3), opaqueRed) << "bottom right: outside the shape";
    EXPECT_EQ(pixelOf(context, 0, 0), opaqueRed) << "top left: outside the clip";

    CGContextDrawImage(context, CGRectMake(2, 0, 2, 2), solidImage(2, 2, transparent));
    EXPECT_EQ(pixelOf(context, 3, 3), transparent) << "an image replaces its own rectangle";
    EXPECT_TRUE(isNear(pixelOf(context, 1, 3), {0, 0, 255, 128}, 1)) << "and nothing beside it";
}

TEST(CGContextBlending, DifferenceAndClear) {
    const auto context = fourByFour();
    fill(context, whole, {51, 102, 153, 255});
    CGContextSetBlendMode(context, kCGBlendModeDifference);
    fill(context, CGRectMake(0, 0, 2, 4), opaqueWhite);
    EXPECT_TRUE(isNear(pixelOf(context, 0, 0), {204, 153, 102, 255}, 1));
    EXPECT_EQ(pixelOf(context, 3, 0), (RGBA{51, 102, 153, 255}));

    CGContextSetBlendMode(context, kCGBlendModeClear);
    fill(context, CGRectMake(0, 0, 4, 2), opaqueWhite);
    EXPECT_EQ(quadrantsOf(context, transparent), (std::array{false, false, true, true}));

    CGContextSetBlendMode(context, kCGBlendModeNormal);
    CGContextClearRect(context, whole);
    EXPECT_EQ(quadrantsOf(context, transparent), (std::array{true, true, true, true}))
        << "clearing does not depend on the blend mode";
}

TEST(CGContextImages, AnImageIsDrawnUprightAndStretchedWithSharpEdges) {
    // Red, green / blue, white, as stored.
    const auto image = imageOf(2, 2, [](std::size_t x, std::size_t y) {
        return y == 0 ? (x == 0 ? opaqueRed : opaqueGreen) : (x == 0 ? opaqueBlue : opaqueWhite);
    });
    const auto context = CGBitmapContextCreate(8, 8);
    CGContextDrawImage(context, CGRectMake(2, 2, 4, 4), image);
    const auto drawn = CGBitmapContextCreateImage(context);
    EXPECT_EQ(drawn->pixelAt(2, 2), opaqueRed) << "stored row 0 at the rectangle's max y, the top";
    EXPECT_EQ(drawn->pixelAt(5, 2), opaqueGreen);
    EXPECT_EQ(drawn->pixelAt(2, 5), opaqueBlue);
    EXPECT_EQ(drawn->pixelAt(5, 5), opaqueWhite);
    for (std::size_t i = 2; i < 6; ++i) {
        EXPECT_EQ(drawn->pixelAt(i, 2).alpha, 255) << "top edge, x " << i;
        EXPECT_EQ(drawn->pixelAt(2, i).alpha, 255) << "left edge, y " << i;
        EXPECT_EQ(drawn->pixelAt(i, 1), transparent) << "above, x " << i;
        EXPECT_EQ(drawn->pixelAt(6, i), transparent) << "right of it, y " << i;
    }
}

TEST(CGContextImages, AnImageInAFlippedSpaceComesOutUpsideDown) {
    const auto context = fourByFour();
    CGContextTranslateCTM(context, 0, 4);
    CGContextScaleCTM(context, 1, -1);
    CGContextDrawImage(context, whole, topHalfMask(4));
    EXPECT_EQ(quadrantsOf(context, opaqueBlack), (std::array{false, false, true, true}));
}

TEST(CGContextMasks, AMaskClipsWithTheImageOrientationOverItsRectangle) {
    const auto context = fourByFour();
    CGContextClipToMask(context, whole, topHalfMask(4));
    fill(context, whole, opaqueRed);
    EXPECT_EQ(quadrantsOf(context, opaqueRed), (std::array{true, true, false, false}));
    EXPECT_EQ(pixelOf(context, 0, 2), transparent);

    const auto partial = fourByFour();
    CGContextClipToMask(partial, CGRectMake(0, 0, 2, 2), solidImage(1, 1, {0, 0, 0, 128}));
    fill(partial, whole, opaqueRed);
    EXPECT_TRUE(isNear(pixelOf(partial, 0, 3), {255, 0, 0, 128}, 1))
        << "inside the mask's rectangle, at its alpha";
    EXPECT_EQ(pixelOf(partial, 3, 0), transparent) << "outside the mask's rectangle";
}

TEST(CGContextMasks, UnderAMaskCopyAndDifferenceLeaveTheMaskedOutPixels) {
    const auto context = fourByFour();
    fill(context, whole, opaqueBlue);
    CGContextClipToMask(context, whole, topHalfMask(4));
    CGContextSetBlendMode(context, kCGBlendModeCopy);
    fill(context, CGRectMake(0, 0, 2, 4), transparent);
    EXPECT_EQ(quadrantsOf(context, transparent), (std::array{true, false, false, false}));
    EXPECT_EQ(quadrantsOf(context, opaqueBlue), (std::array{false, true, true, true}));

    CGContextSetBlendMode(context, kCGBlendModeDifference);
    fill(context, whole, opaqueWhite);
    EXPECT_EQ(quadrantsOf(context, opaqueWhite), (std::array{true, false, false, false}));
    EXPECT_TRUE(isNear(pixelOf(context, 3, 0), {255, 255, 0, 255}, 1));
    EXPECT_EQ(pixelOf(context, 3, 3), opaqueBlue);
}

TEST(CGContextMasks, NestedMasksIntersectAndRestoreInTurn) {
    const auto leftHalf =
        imageOf(4, 4, [](std::size_t x, std::size_t) { return x < 2 ? opaqueBlack : transparent; });
    const auto context = fourByFour();
    CGContextSaveGState(context);
    CGContextClipToMask(context, whole, topHalfMask(4));
    CGContextSaveGState(context);
    CGContextClipToMask(context, whole, leftHalf);
    fill(context, whole, opaqueRed);
    EXPECT_EQ(quadrantsOf(context, opaqueRed), (std::array{true, false, false, false}));
    CGContextRestoreGState(context);
    fill(context, whole, opaqueGreen);
    EXPECT_EQ(quadrantsOf(context, opaqueGreen), (std::array{true, true, false, false}));
    CGContextRestoreGState(context);
    fill(context, CGRectMake(0, 0, 4, 2), opaqueBlue);
    EXPECT_EQ(quadrantsOf(context, opaqueBlue), (std::array{false, false, true, true}));
}

TEST(CGContextPaths, ShapesFillAndStroke) {
    const auto context = CGBitmapContextCreate(20, 20);
    CGPath ellipse;
    ellipse.addEllipseInRect(CGRectMake(0, 0, 20, 10)); // the bottom half of the bitmap
    CGContextAddPath(context, ellipse);
    CGContextSetRGBFillColor(context, 1, 0, 0, 1);
    CGContextFillPath(context);
    auto image = CGBitmapContextCreateImage(context);
    EXPECT_EQ(image->pixelAt(10, 15), opaqueRed);
    EXPECT_EQ(image->pixelAt(1, 15), opaqueRed) << "the ellipse reaches the rectangle's sides";
    EXPECT_EQ(image->pixelAt(0, 10), transparent) << "but not its corners";
    EXPECT_EQ(image->pixelAt(10, 5), transparent);

    CGPath triangle;
    triangle.moveToPoint(CGPointMake(0, 20));
    triangle.addLineToPoint(CGPointMake(20, 20));
    triangle.addLineToPoint(CGPointMake(0, 10));
    triangle.closeSubpath();
    CGContextAddPath(context, triangle);
    CGContextSetRGBStrokeColor(context, 0, 0, 1, 1);
    CGContextSetLineWidth(context, 2);
    CGContextStrokePath(context);
    image = CGBitmapContextCreateImage(context);
    EXPECT_EQ(image->pixelAt(0, 5), opaqueBlue) << "on the left edge";
    EXPECT_EQ(image->pixelAt(3, 3), transparent) << "inside";
    EXPECT_EQ(image->pixelAt(12, 8), transparent) << "beyond the slanted edge";

    CGContextFillPath(context);
    EXPECT_EQ(CGBitmapContextCreateImage(context)->pixelAt(3, 3), transparent) << "stroking used the path up";
}

TEST(CGContextPaths, APathKeepsTheCTMItWasAddedUnder) {
    const auto context = fourByFour();
    CGPath square;
    square.addRect(CGRectMake(0, 0, 1, 1));
    CGContextTranslateCTM(context, 3, 3);
    CGContextAddPath(context, square);
    CGContextTranslateCTM(context, -3, -3);
    CGContextFillPath(context);
    EXPECT_EQ(pixelOf(context, 3, 0), opaqueBlack);
    EXPECT_EQ(pixelOf(context, 0, 3), transparent);
}

TEST(CGContextPaths, RoundedRectanglesClipAndLimitTheirRadii) {
    CGPath path;
    path.addRoundedRect(CGRectMake(0, 0, 20, 20), 20, 20);
    ASSERT_EQ(path.elements().size(), 1u);
    EXPECT_EQ(path.elements()[0].cornerWidth, 10);
    EXPECT_EQ(path.elements()[0].cornerHeight, 10);

    const auto context = CGBitmapContextCreate(20, 20);
    CGContextAddPath(context, path);
    CGContextClip(context);
    CGContextFillPath(context);
    fill(context, CGRectMake(0, 0, 20, 20), opaqueRed);
    const auto image = CGBitmapContextCreateImage(context);
    for (const auto& [x, y] : {std::pair{0, 0}, {19, 0}, {0, 19}, {19, 19}, {1, 1}, {18, 18}})
        EXPECT_EQ(image->pixelAt(x, y), transparent) << "corner " << x << "," << y;
    for (const auto& [x, y] : {std::pair{10, 10}, {10, 0}, {0, 10}, {19, 10}, {10, 19}})
        EXPECT_EQ(image->pixelAt(x, y).red, 255) << "inside " << x << "," << y;
}

TEST(CGContextLayers, ALayerFadesAsOnePicture) {
    const auto context = fourByFour();
    CGContextSetAlpha(context, 0.5);
    CGContextBeginTransparencyLayer(context);
    fill(context, CGRectMake(0, 0, 3, 4), opaqueRed);
    fill(context, CGRectMake(1, 0, 3, 4), opaqueBlue);
    CGContextRestoreGState(context); // belongs to no save: must not close the layer
    EXPECT_EQ(pixelOf(context, 1, 1), transparent) << "nothing reaches the bitmap before the layer ends";
    CGContextEndTransparencyLayer(context);
    EXPECT_TRUE(isNear(pixelOf(context, 0, 0), {255, 0, 0, 128}, 1));
    EXPECT_TRUE(isNear(pixelOf(context, 1, 0), {0, 0, 255, 128}, 1)) << "the overlap is not blended twice";
    CGContextEndTransparencyLayer(context); // none open
    CGContextClearRect(context, whole);
    fill(context, whole, opaqueGreen);
    EXPECT_TRUE(isNear(pixelOf(context, 0, 0), {0, 255, 0, 128}, 1)) << "the alpha outside the layer stays";
}

} // namespace
