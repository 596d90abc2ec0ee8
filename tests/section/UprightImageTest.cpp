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

// Where stored pixel (x, y) shows in the upright picture, as iOS shows each orientation; W and H are the
// stored picture's last column and row.
struct Turn {
    UIImageOrientation orientation;
    bool sideways;
    std::size_t (*uprightX)(std::size_t x, std::size_t y, std::size_t W, std::size_t H);
    std::size_t (*uprightY)(std::size_t x, std::size_t y, std::size_t W, std::size_t H);
};
const Turn turns[] = {
    {UIImageOrientationDown, false, [](auto x, auto, auto W, auto) { return W - x; },
     [](auto, auto y, auto, auto H) { return H - y; }},
    {UIImageOrientationLeft, true, [](auto, auto y, auto, auto) { return y; },
     [](auto x, auto, auto W, auto) { return W - x; }},
    {UIImageOrientationRight, true, [](auto, auto y, auto, auto H) { return H - y; },
     [](auto x, auto, auto, auto) { return x; }},
    {UIImageOrientationUpMirrored, false, [](auto x, auto, auto W, auto) { return W - x; },
     [](auto, auto y, auto, auto) { return y; }},
    {UIImageOrientationDownMirrored, false, [](auto x, auto, auto, auto) { return x; },
     [](auto, auto y, auto, auto H) { return H - y; }},
    {UIImageOrientationLeftMirrored, true, [](auto, auto y, auto, auto) { return y; },
     [](auto x, auto, auto, auto) { return x; }},
    {UIImageOrientationRightMirrored, true, [](auto, auto y, auto, auto H) { return H - y; },
     [](auto x, auto, auto W, auto) { return W - x; }},
};

// Every stored pixel of `image` at its upright place, for each orientation.
void expectEveryOrientationUpright(const CGImageRef& image) {
    const std::size_t width = image->width(), height = image->height();
    for (const auto& turn : turns) {
        SCOPED_TRACE(turn.orientation);
        const auto upright = normaliseImageOrientation(UIImage::imageWithCGImage(image, 1, turn.orientation));
        ASSERT_NE(upright, nullptr);
        EXPECT_EQ(upright->imageOrientation(), UIImageOrientationUp);
        const auto& pixels = upright->CGImage();
        ASSERT_EQ(pixels->width(), turn.sideways ? height : width);
        ASSERT_EQ(pixels->height(), turn.sideways ? width : height);
        std::size_t wrong = 0;
        for (std::size_t y = 0; y < height; ++y) {
            for (std::size_t x = 0; x < width; ++x) {
                const std::size_t ux = turn.uprightX(x, y, width - 1, height - 1);
                const std::size_t uy = turn.uprightY(x, y, width - 1, height - 1);
                if (pixels->pixels()[uy * pixels->width() + ux] != image->pixels()[y * width + x] &&
                    wrong++ < 5)
                    ADD_FAILURE() << "stored " << x << ", " << y;
            }
        }
        EXPECT_EQ(wrong, 0u);
    }
}

TEST(UprightImage, EveryOrientationComesBackUprightPixelForPixel) {
    expectEveryOrientationUpright(stored);
}

// Photo-sized: the pixels move on several cores, in whole lines past the caches; odd sides leave tiles,
// blocks and lines unaligned at the edges.
TEST(UprightImage, APhotoSizedImageComesBackUprightPixelForPixel) {
    std::vector<std::uint32_t> pixels(1283 * 1029);
    for (std::size_t index = 0; index < pixels.size(); ++index)
        pixels[index] = 0xff000000u | std::uint32_t(index);
    expectEveryOrientationUpright(CGImageCreate(1283, 1029, std::move(pixels)));
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
