#include "GraphicsTestSupport.h"

#include "CoreGraphics/CGPixelBuffer.h"
#include "support/JPEGEncoding.h"

#include <algorithm>
#include <numbers>

namespace {

// Large enough to be mapped, and so recycled, rather than taken from the heap.
constexpr std::size_t width = 2048, height = 1024;
constexpr std::size_t bytes = width * height * sizeof(std::uint32_t);
// Transparent yet not zero, so that neither a cleared nor a drawn pixel can be mistaken for it.
constexpr std::uint32_t stale = 0x00abcdef;

// A bitmap of the test's size, all stale pixels, freed again; answers where its memory was.
const void* freeAStaleBitmap() {
    CGPixelBuffer pixels(width * height, CGPixelAllocator<std::uint32_t>(true));
    std::fill(pixels.begin(), pixels.end(), stale);
    return pixels.data();
}

bool allZero(std::span<const std::uint32_t> pixels) {
    return std::all_of(pixels.begin(), pixels.end(), [](std::uint32_t p) { return p == 0; });
}

std::size_t countOf(std::span<const std::uint32_t> pixels, std::uint32_t value) {
    return std::size_t(std::count(pixels.begin(), pixels.end(), value));
}

} // namespace

TEST(CGPixelMemory, FreedPhotoMemoryIsRecycledButReadsAsZeroWhereverZeroIsPromised) {
    const void* freed = freeAStaleBitmap();
    void* again = CGPixelMemory::allocateForOverwrite(bytes);
    EXPECT_EQ(again, freed)
        << "the next bitmap of the size takes the memory over, else nothing below is tested";
    CGPixelMemory::clear(again, bytes);
    EXPECT_TRUE(allZero({static_cast<const std::uint32_t*>(again), width * height}));
    CGPixelMemory::deallocate(again, bytes);

    freeAStaleBitmap();
    const CGPixelBuffer zeroed(width * height);
    EXPECT_TRUE(allZero(zeroed)) << "a buffer made the ordinary way is zero, recycled or not";

    freeAStaleBitmap();
    const CGPixelBuffer larger(width * (height + 512));
    EXPECT_TRUE(allZero(larger));
}

TEST(CGPixelMemory, ANewContextOnRecycledMemoryIsTransparentUnlessAnImageCoversItAll) {
    freeAStaleBitmap();
    const auto untouched = CGBitmapContextCreate(width, height);
    EXPECT_TRUE(allZero(CGBitmapContextCreateImage(untouched)->pixels()));

    freeAStaleBitmap();
    const auto filled = CGBitmapContextCreate(width, height);
    CGContextSetRGBFillColor(filled, 1, 0, 0, 1);
    CGContextFillRect(filled, CGRectMake(0, 0, 10, 10));
    const auto filledImage = CGBitmapContextCreateImage(filled);
    const auto filledPixels = filledImage->pixels();
    EXPECT_EQ(countOf(filledPixels, 0xffff0000u), 100u);
    EXPECT_EQ(countOf(filledPixels, 0), width * height - 100);

    // Pixels moved by a turn, over part of the bitmap and then over all of it.
    const auto photo = imageOf(height, width, [](std::size_t x, std::size_t y) {
        return RGBA{std::uint8_t(x), std::uint8_t(y), std::uint8_t(x ^ y), 255};
    });
    freeAStaleBitmap();
    const auto part = CGBitmapContextCreate(width, height);
    CGContextDrawImage(part, CGRectMake(0, 0, 16, 8), imageOf(16, 8, [](auto, auto) { return green; }));
    const auto partImage = CGBitmapContextCreateImage(part);
    const auto partPixels = partImage->pixels();
    EXPECT_EQ(countOf(partPixels, 0xff00ff00u), 128u);
    EXPECT_EQ(countOf(partPixels, 0), width * height - 128);

    freeAStaleBitmap();
    const auto turned = CGBitmapContextCreate(width, height);
    CGContextTranslateCTM(turned, 0, CGFloat(height));
    CGContextRotateCTM(turned, -std::numbers::pi / 2);
    CGContextDrawImage(turned, CGRectMake(0, 0, CGFloat(height), CGFloat(width)), photo);
    const auto turnedImage = CGBitmapContextCreateImage(turned);
    const auto turnedPixels = turnedImage->pixels();
    EXPECT_TRUE(std::all_of(turnedPixels.begin(), turnedPixels.end(), [](std::uint32_t p) {
        return p >> 24 == 0xff;
    })) << "the opaque photo covers every pixel";
}

TEST(CGPixelMemory, APhotoDecodedIntoRecycledMemoryHasEveryPixelWritten) {
    const auto picture =
        imageOf(width, height, [](std::size_t x, std::size_t) { return x < width / 2 ? red : blue; });
    const auto jpeg = jpegOf(*picture, 90);
    freeAStaleBitmap();
    const auto decoded = CGImageCreateWithJPEGData(jpeg);
    ASSERT_TRUE(decoded);
    const auto pixels = decoded->pixels();
    EXPECT_TRUE(std::all_of(pixels.begin(), pixels.end(), [](std::uint32_t p) { return p >> 24 == 0xff; }));
}
