#include "section/UprightImage.h"

#include "../platform/CoreGraphics/GraphicsTestSupport.h"

namespace {

constexpr std::size_t storedWidth = 8;
constexpr std::size_t storedHeight = 4;

// Every pixel its own colour, and the top-left quarter as stored marked opaque red in its red component's
// high bit, so that a wrong turn or mirror cannot pass.
RGBA storedPixel(std::size_t x, std::size_t y) {
    const bool marked = x < storedWidth / 2 && y < storedHeight / 2;
    return {std::uint8_t(marked ? 255 : 100), std::uint8_t(20 * x), std::uint8_t(50 * y), 255};
}

const CGImageRef stored = imageOf(storedWidth, storedHeight, storedPixel);

// Where stored pixel (x, y) shows in the upright picture, as iOS shows each orientation.
struct Turn {
    UIImageOrientation orientation;
    bool sideways;
    std::size_t (*uprightX)(std::size_t x, std::size_t y);
    std::size_t (*uprightY)(std::size_t x, std::size_t y);
};
constexpr std::size_t W = storedWidth - 1;
constexpr std::size_t H = storedHeight - 1;
const Turn turns[] = {
    {UIImageOrientationDown, false, [](auto x, auto) { return W - x; }, [](auto, auto y) { return H - y; }},
    {UIImageOrientationLeft, true, [](auto, auto y) { return y; }, [](auto x, auto) { return W - x; }},
    {UIImageOrientationRight, true, [](auto, auto y) { return H - y; }, [](auto x, auto) { return x; }},
    {UIImageOrientationUpMirrored, false, [](auto x, auto) { return W - x; }, [](auto, auto y) { return y; }},
    {UIImageOrientationDownMirrored, false, [](auto x, auto) { return x; },
     [](auto, auto y) { return H - y; }},
    {UIImageOrientationLeftMirrored, true, [](auto, auto y) { return y; }, [](auto x, auto) { return x; }},
    {UIImageOrientationRightMirrored, true, [](auto, auto y) { return H - y; },
     [](auto x, auto) { return W - x; }},
};

TEST(UprightImage, EveryOrientationComesBackUprightPixelForPixel) {
    for (const auto& turn : turns) {
        SCOPED_TRACE(turn.orientation);
        const auto upright =
            normaliseImageOrientation(UIImage::imageWithCGImage(stored, 1, turn.orientation));
        ASSERT_NE(upright, nullptr);
        EXPECT_EQ(upright->imageOrientation(), UIImageOrientationUp);
        const auto& pixels = upright->CGImage();
        EXPECT_EQ(pixels->width(), turn.sideways ? storedHeight : storedWidth);
        EXPECT_EQ(pixels->height(), turn.sideways ? storedWidth : storedHeight);
        for (std::size_t y = 0; y < storedHeight; ++y) {
            for (std::size_t x = 0; x < storedWidth; ++x)
                EXPECT_EQ(pixels->pixelAt(turn.uprightX(x, y), turn.uprightY(x, y)), storedPixel(x, y))
                    << "stored " << x << ", " << y;
        }
    }
}

TEST(UprightImage, AnUprightImageIsTheSameObjectAndTheResultHasScaleOne) {
    const auto up = UIImage::imageWithCGImage(stored, 2, UIImageOrientationUp);
    EXPECT_EQ(normaliseImageOrientation(up), up);
    EXPECT_EQ(normaliseImageOrientation(nullptr), nullptr);
    const auto right =
        normaliseImageOrientation(UIImage::imageWithCGImage(stored, 2, UIImageOrientationRight));
    ASSERT_NE(right, nullptr);
    EXPECT_EQ(right->scale(), 1);
    EXPECT_EQ(right->size(), (CGSize{2, 4})) << "drawn at the size it shows: half the pixels at scale 2";
    const auto tiny = UIImage::imageWithCGImage(solidImage(1, 1, red), 4, UIImageOrientationDown);
    EXPECT_EQ(normaliseImageOrientation(tiny), nullptr) << "a quarter pixel truncates to an empty bitmap";
}

} // namespace
