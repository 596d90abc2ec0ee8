#include "GraphicsTestSupport.h"

#include <algorithm>
#include <atomic>
#include <optional>

extern "C" int __sanitizer_install_malloc_and_free_hooks(void (*)(const volatile void*, std::size_t),
                                                         void (*)(const volatile void*))
    __attribute__((weak));

namespace {

std::atomic<bool> probing{false};
std::atomic<std::size_t> largestAllocation{0};

void recordAllocation(const volatile void*, std::size_t size) {
    if (!probing)
        return;
    std::size_t largest = largestAllocation;
    while (size > largest && !largestAllocation.compare_exchange_weak(largest, size)) {
    }
}

void ignoreRelease(const volatile void*) {}

// The largest single allocation made while `work` runs; nothing when AddressSanitizer's allocator hooks are
// not there to watch.
std::optional<std::size_t> largestAllocationDuring(const std::function<void()>& work) {
    static const bool installed =
        __sanitizer_install_malloc_and_free_hooks &&
        __sanitizer_install_malloc_and_free_hooks(recordAllocation, ignoreRelease) != 0;
    if (!installed)
        return std::nullopt;
    largestAllocation = 0;
    probing = true;
    work();
    probing = false;
    return largestAllocation.load();
}

// A valid header and the start of the pixel data, then the file ends: a decoder that allocates the bitmap
// before reading pixels does so, then fails.
std::vector<std::uint8_t> cutShortAfterHeader(std::uint32_t width, std::uint32_t height) {
    auto file = png::header(width, height);
    png::appendBigEndian(file, 1000);
    file.insert(file.end(), {'I', 'D', 'A', 'T', 0x78, 0x01, 0x00});
    return file;
}

RGBA checker(std::uint32_t x, std::uint32_t y) {
    return (x + y) % 2 ? opaqueRed : RGBA{10, 200, 30, 128};
}

TEST(CGImage, MakeKeepsToTheLimits) {
    EXPECT_EQ(CGImage::make(0, 4, {}), nullptr);
    EXPECT_EQ(CGImage::make(4, 0, {}), nullptr);
    EXPECT_EQ(CGImage::make(2, 2, std::vector<std::uint32_t>(3)), nullptr) << "too few pixels for the size";
    EXPECT_EQ(
        CGImage::make(CGImage::maximumSide + 1, 1, std::vector<std::uint32_t>(CGImage::maximumSide + 1)),
        nullptr);
    const auto widest =
        CGImage::make(CGImage::maximumSide, 1, std::vector<std::uint32_t>(CGImage::maximumSide));
    ASSERT_NE(widest, nullptr);
    EXPECT_EQ(CGImageGetWidth(widest), CGImage::maximumSide);
    EXPECT_EQ(CGImageGetHeight(widest), 1u);

    const std::size_t tallestAtFullWidth = CGImage::maximumPixels / CGImage::maximumSide;
    EXPECT_TRUE(CGImage::isWithinLimits(CGImage::maximumSide, tallestAtFullWidth));
    EXPECT_FALSE(CGImage::isWithinLimits(CGImage::maximumSide, tallestAtFullWidth + 1));
    EXPECT_EQ(CGImageGetWidth(nullptr), 0u);
}

TEST(CGImage, PixelAtUndoesThePremultiplication) {
    const auto image = CGImage::make(3, 1, {0x80400020u, 0xff102030u, 0x00000000u});
    ASSERT_NE(image, nullptr);
    EXPECT_EQ(image->pixelAt(0, 0), (RGBA{128, 0, 64, 128}));
    EXPECT_EQ(image->pixelAt(1, 0), (RGBA{0x10, 0x20, 0x30, 255}));
    EXPECT_EQ(image->pixelAt(2, 0), transparent);
    EXPECT_EQ(image->pixelAt(3, 0), transparent) << "outside the image";
    EXPECT_EQ(image->pixelAt(0, 1), transparent) << "outside the image";
}

TEST(PNG, RoundTripKeepsEveryPixel) {
    const auto opaque = imageOf(5, 3, [](std::size_t x, std::size_t y) {
        return RGBA{std::uint8_t(x * 50), std::uint8_t(y * 80), 7, 255};
    });
    const auto decoded = CGImageCreateWithPNGData(CGImagePNGRepresentation(opaque));
    ASSERT_NE(decoded, nullptr);
    EXPECT_TRUE(std::ranges::equal(decoded->pixels(), opaque->pixels()));

    const auto translucent = imageOf(4, 4, [](std::size_t x, std::size_t y) { return checker(x, y); });
    const auto again = CGImageCreateWithPNGData(CGImagePNGRepresentation(translucent));
    ASSERT_NE(again, nullptr);
    ASSERT_EQ(again->width(), 4u);
    ASSERT_EQ(again->height(), 4u);
    for (std::size_t y = 0; y < 4; ++y)
        for (std::size_t x = 0; x < 4; ++x)
            EXPECT_TRUE(isNear(again->pixelAt(x, y), checker(x, y), 1)) << x << "," << y;
    EXPECT_TRUE(CGImagePNGRepresentation(nullptr).empty());
}

TEST(PNG, DecodesAFileWrittenByAnotherEncoder) {
    const auto image = CGImageCreateWithPNGData(png::rgbaFile(3, 2, checker));
    ASSERT_NE(image, nullptr);
    EXPECT_EQ(image->width(), 3u);
    EXPECT_EQ(image->height(), 2u);
    EXPECT_TRUE(isNear(image->pixelAt(0, 0), checker(0, 0), 1));
    EXPECT_EQ(image->pixelAt(1, 0), opaqueRed);
    EXPECT_EQ(image->pixelAt(0, 1), opaqueRed);
}

TEST(PNG, BrokenOrForeignBytesGiveNothing) {
    const auto valid = CGImagePNGRepresentation(imageOf(
        6, 6, [](std::size_t x, std::size_t y) { return checker(std::uint32_t(x), std::uint32_t(y)); }));
    ASSERT_NE(CGImageCreateWithPNGData(valid), nullptr);
    for (std::size_t length = 0; length < valid.size(); ++length)
        EXPECT_EQ(CGImageCreateWithPNGData(std::span(valid).first(length)), nullptr) << "cut at " << length;

    auto corrupt = valid;
    corrupt[valid.size() / 2] ^= 0x55;
    EXPECT_EQ(CGImageCreateWithPNGData(corrupt), nullptr) << "a checksum no longer matches";

    auto badStream = png::header(2, 2);
    png::appendChunk(badStream, "IDAT", {0x78, 0x01, 0x07, 0xff, 0x00, 0x13});
    png::appendChunk(badStream, "IEND", {});
    EXPECT_EQ(CGImageCreateWithPNGData(badStream), nullptr) << "checksums fine, compressed data broken";

    const std::string_view gif = "GIF89a\x02\x00\x02\x00\x80\x00\x00";
    EXPECT_EQ(
        CGImageCreateWithPNGData(std::span(reinterpret_cast<const std::uint8_t*>(gif.data()), gif.size())),
        nullptr);
}

TEST(PNG, SizesBeyondTheLimitsAreRefused) {
    const auto red = [](std::uint32_t, std::uint32_t) { return opaqueRed; };
    EXPECT_NE(CGImageCreateWithPNGData(png::rgbaFile(CGImage::maximumSide, 1, red)), nullptr);
    EXPECT_EQ(CGImageCreateWithPNGData(png::rgbaFile(CGImage::maximumSide + 1, 1, red)), nullptr);
    EXPECT_EQ(CGImageCreateWithPNGData(png::rgbaFile(1, CGImage::maximumSide + 1, red)), nullptr);
    EXPECT_EQ(CGImageCreateWithPNGData(cutShortAfterHeader(100000, 100000)), nullptr);
}

TEST(PNG, AHugeClaimedSizeCostsNoMemory) {
    // 4096 x 4096 is within the limits: the decoder allocates its 64 MB bitmap, then finds the data cut
    // short.
    const auto allowed = largestAllocationDuring(
        [] { EXPECT_EQ(CGImageCreateWithPNGData(cutShortAfterHeader(4096, 4096)), nullptr); });
    if (!allowed)
        GTEST_SKIP() << "needs AddressSanitizer's allocator hooks to watch allocations";
    EXPECT_GE(*allowed, 4096u * 4096u * 4u) << "the probe must see the bitmap of an accepted header";

    for (const auto& [width, height] : {std::pair{8192u, 8192u}, {100000u, 100000u}, {20000u, 1u}}) {
        const auto refused = largestAllocationDuring(
            [&] { EXPECT_EQ(CGImageCreateWithPNGData(cutShortAfterHeader(width, height)), nullptr); });
        EXPECT_LT(*refused, 64u * 1024u) << width << " x " << height;
    }
}

} // namespace
