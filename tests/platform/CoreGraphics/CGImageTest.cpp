#include "GraphicsTestSupport.h"
#include "UIKit/UIImage.h"

#include <png.h>

#include <algorithm>
#include <atomic>
#include <csetjmp>
#include <optional>
#include <string_view>

extern "C" int __sanitizer_install_malloc_and_free_hooks(void (*)(const volatile void*, std::size_t),
                                                         void (*)(const volatile void*))
    __attribute__((weak));

namespace {

std::atomic<bool> probing{false};
std::atomic<std::size_t> largestAllocation{0};

void recordAllocation(const volatile void*, std::size_t size) {
    std::size_t largest = largestAllocation;
    while (probing && size > largest && !largestAllocation.compare_exchange_weak(largest, size)) {
    }
}

// The largest single allocation while `work` runs; nothing without AddressSanitizer's allocator hooks.
std::optional<std::size_t> largestAllocationDuring(const std::function<void()>& work) {
    static const bool installed =
        __sanitizer_install_malloc_and_free_hooks &&
        __sanitizer_install_malloc_and_free_hooks(recordAllocation, [](const volatile void*) {}) != 0;
    if (!installed)
        return std::nullopt;
    largestAllocation = 0;
    probing = true;
    work();
    probing = false;
    return largestAllocation.load();
}

void appendBigEndian(std::vector<std::uint8_t>& bytes, std::uint32_t value) {
    for (int shift = 24; shift >= 0; shift -= 8)
        bytes.push_back(std::uint8_t(value >> shift));
}

void appendChunk(std::vector<std::uint8_t>& file, std::string_view type,
                 const std::vector<std::uint8_t>& data) {
    appendBigEndian(file, std::uint32_t(data.size()));
    file.insert(file.end(), type.begin(), type.end());
    file.insert(file.end(), data.begin(), data.end());
    std::uint32_t crc = 0xffffffffu; // over the type and the data
    for (auto byte = file.end() - std::ptrdiff_t(data.size() + 4); byte != file.end(); ++byte) {
        crc ^= *byte;
        for (int bit = 0; bit < 8; ++bit)
            crc = (crc >> 1) ^ (0xedb88320u & (0u - (crc & 1u)));
    }
    appendBigEndian(file, ~crc);
}

// A correct signature and header for 8-bit RGBA, then `idat` as the pixel data's chunk, or the start of one
// that is cut short: a decoder that allocates its bitmap before reading pixels does so, then fails.
std::vector<std::uint8_t> pngFile(std::uint32_t width, std::uint32_t height,
                                  std::optional<std::vector<std::uint8_t>> idat = std::nullopt) {
    std::vector<std::uint8_t> file = {0x89, 'P', 'N', 'G', '\r', '\n', 0x1a, '\n'};
    std::vector<std::uint8_t> header;
    appendBigEndian(header, width);
    appendBigEndian(header, height);
    header.insert(header.end(), {8, 6, 0, 0, 0});
    appendChunk(file, "IHDR", header);
    if (idat) {
        appendChunk(file, "IDAT", *idat);
        appendChunk(file, "IEND", {});
    } else {
        file.insert(file.end(), {0, 0, 0x10, 0, 'I', 'D', 'A', 'T', 0x78, 0x01});
    }
    return file;
}

RGBA checker(std::size_t x, std::size_t y) {
    return (x + y) % 2 ? red : RGBA{10, 200, 30, 128};
}

TEST(CGImage, KeepsToItsLimitsAndReadsPixelsStraight) {
    EXPECT_EQ(CGImageCreate(0, 4, {}), nullptr);
    EXPECT_EQ(CGImageCreate(2, 2, std::vector<std::uint32_t>(3)), nullptr) << "too few pixels";
    EXPECT_EQ(
        CGImageCreate(CGImage::maximumSide + 1, 1, std::vector<std::uint32_t>(CGImage::maximumSide + 1)),
        nullptr);
    const std::size_t fullWidthRows = CGImage::maximumPixels / CGImage::maximumSide;
    EXPECT_TRUE(CGImage::isWithinLimits(CGImage::maximumSide, fullWidthRows));
    EXPECT_FALSE(CGImage::isWithinLimits(CGImage::maximumSide, fullWidthRows + 1));

    const auto image = CGImageCreate(3, 1, {0x80400020u, 0xff102030u, 0});
    ASSERT_NE(image, nullptr);
    EXPECT_EQ(image->pixelAt(0, 0), (RGBA{128, 0, 64, 128}));
    EXPECT_EQ(image->pixelAt(1, 0), (RGBA{0x10, 0x20, 0x30, 255}));
    EXPECT_EQ(image->pixelAt(2, 0), clear);
    EXPECT_EQ(image->pixelAt(3, 0), clear) << "outside";
}

TEST(PNG, RoundTripKeepsEveryPixel) {
    const auto opaque = imageOf(5, 3, [](std::size_t x, std::size_t y) {
        return RGBA{std::uint8_t(x * 50), std::uint8_t(y * 80), 7, 255};
    });
    const auto encoded = CGImagePNGRepresentation(opaque);
    ASSERT_GT(encoded.size(), 25u);
    EXPECT_EQ(encoded[25], 2) << "an opaque image is written as RGB, without an alpha channel";
    const auto decoded = CGImageCreateWithPNGData(encoded);
    ASSERT_NE(decoded, nullptr);
    EXPECT_TRUE(std::ranges::equal(decoded->pixels(), opaque->pixels()));

    const auto translucent = CGImageCreateWithPNGData(CGImagePNGRepresentation(imageOf(4, 4, checker)));
    ASSERT_NE(translucent, nullptr);
    ASSERT_EQ(translucent->width(), 4u);
    for (std::size_t i = 0; i < 16; ++i)
        EXPECT_TRUE(isNear(translucent->pixelAt(i % 4, i / 4), checker(i % 4, i / 4), 1)) << i;
}

// What libpng's own row writer makes of the image's straight samples: the way the attachment was written
// before its rows were compressed in one piece, and the reference the new file must decode like.
std::vector<std::uint8_t> pngByLibpngRows(const CGImage& image, bool opaque) {
    png_structp png = png_create_write_struct(PNG_LIBPNG_VER_STRING, nullptr, nullptr, nullptr);
    png_infop info = png_create_info_struct(png);
    std::vector<std::uint8_t> bytes;
    std::vector<png_byte> row(image.width() * (opaque ? 3 : 4));
    if (setjmp(png_jmpbuf(png))) {
        png_destroy_write_struct(&png, &info);
        return {};
    }
    png_set_write_fn(
        png, &bytes,
        [](png_structp writer, png_bytep data, png_size_t length) {
            auto& out = *static_cast<std::vector<std::uint8_t>*>(png_get_io_ptr(writer));
            out.insert(out.end(), data, data + length);
        },
        nullptr);
    png_set_IHDR(png, info, png_uint_32(image.width()), png_uint_32(image.height()), 8,
                 opaque ? PNG_COLOR_TYPE_RGB : PNG_COLOR_TYPE_RGB_ALPHA, PNG_INTERLACE_NONE,
                 PNG_COMPRESSION_TYPE_DEFAULT, PNG_FILTER_TYPE_DEFAULT);
    png_write_info(png, info);
    for (std::size_t y = 0; y < image.height(); ++y) {
        png_byte* out = row.data();
        for (std::size_t x = 0; x < image.width(); ++x) {
            const RGBA pixel = image.pixelAt(x, y);
            *out++ = pixel.red, *out++ = pixel.green, *out++ = pixel.blue;
            if (!opaque)
                *out++ = pixel.alpha;
        }
        png_write_row(png, row.data());
    }
    png_write_end(png, info);
    png_destroy_write_struct(&png, &info);
    return bytes;
}

// Photo-sized images take the parallel filter and a stream of several IDAT chunks; the odd sizes leave bands
// and chunks uneven. Noise keeps the stream from shrinking below a chunk.
TEST(PNG, LargeImagesDecodeLikeLibpngsOwnRowsOfThem) {
    std::uint32_t state = 12345;
    const auto noise = [&state] {
        state = state * 1664525u + 1013904223u;
        return std::uint8_t(state >> 24);
    };
    const auto opaque = imageOf(1283, 911, [&](std::size_t, std::size_t) {
        return RGBA{noise(), noise(), noise(), 255};
    });
    const auto translucent = imageOf(1031, 1027, [&](std::size_t x, std::size_t) {
        return RGBA{noise(), noise(), noise(), std::uint8_t(x % 7 == 0 ? 0 : noise())};
    });
    for (const auto& [image, isOpaque] : {std::pair{opaque, true}, {translucent, false}}) {
        const auto encoded = CGImagePNGRepresentation(image);
        ASSERT_GT(encoded.size(), 2u << 20) << "the stream spans several chunks";
        EXPECT_EQ(encoded[25], isOpaque ? 2 : 6) << "colour type";
        const auto decoded = CGImageCreateWithPNGData(encoded);
        const auto reference = CGImageCreateWithPNGData(pngByLibpngRows(*image, isOpaque));
        ASSERT_NE(decoded, nullptr);
        ASSERT_NE(reference, nullptr);
        EXPECT_TRUE(std::ranges::equal(decoded->pixels(), reference->pixels()));
        if (isOpaque) {
            EXPECT_TRUE(std::ranges::equal(decoded->pixels(), image->pixels()));
        }
    }
}

TEST(PNG, BrokenOrForeignBytesGiveNothing) {
    const auto valid = CGImagePNGRepresentation(imageOf(6, 6, checker));
    ASSERT_NE(CGImageCreateWithPNGData(valid), nullptr);
    for (std::size_t length = 0; length < valid.size(); ++length)
        EXPECT_EQ(CGImageCreateWithPNGData(std::span(valid).first(length)), nullptr) << "cut at " << length;
    auto corrupt = valid;
    corrupt[valid.size() / 2] ^= 0x55;
    EXPECT_EQ(CGImageCreateWithPNGData(corrupt), nullptr) << "a checksum no longer matches";
    EXPECT_EQ(CGImageCreateWithPNGData(pngFile(2, 2, std::vector<std::uint8_t>{0x78, 0x01, 0x07, 0xff})),
              nullptr)
        << "checksums right, compressed data broken";
    const std::string_view gif = "GIF89a\x02\x00\x02\x00\x80\x00\x00";
    EXPECT_EQ(
        CGImageCreateWithPNGData(std::span(reinterpret_cast<const std::uint8_t*>(gif.data()), gif.size())),
        nullptr);
}

TEST(PNG, AHeaderClaimingTooManyPixelsIsRefusedBeforeAnyAllocation) {
    const auto accepted =
        largestAllocationDuring([] { EXPECT_EQ(CGImageCreateWithPNGData(pngFile(4096, 4096)), nullptr); });
    if (!accepted)
        GTEST_SKIP() << "needs AddressSanitizer's allocator hooks to watch allocations";
    EXPECT_GE(*accepted, 4096u * 4096u * 4u) << "the probe sees the bitmap for a header within the limits";
    for (const auto& [width, height] : {std::pair{8192u, 8192u}, {100000u, 100000u}, {16385u, 1u}}) {
        const auto refused = largestAllocationDuring(
            [&] { EXPECT_EQ(CGImageCreateWithPNGData(pngFile(width, height)), nullptr); });
        EXPECT_LT(*refused, 64u * 1024u) << width << " x " << height;
    }
}

// 16 x 8: red in the top-left quarter as stored, blue elsewhere; blocks of one colour survive JPEG's loss.
const CGImageRef quarterMarked =
    imageOf(16, 8, [](std::size_t x, std::size_t y) { return x < 8 && y < 4 ? red : blue; });

std::vector<std::uint8_t> jpegOf(const CGImageRef& image, UIImageOrientation orientation) {
    return UIImageJPEGRepresentation(*UIImage::imageWithCGImage(image, 1, orientation), 0.9);
}

// The JPEG's frame header claims another size.
std::vector<std::uint8_t> withClaimedSize(std::vector<std::uint8_t> jpeg, std::uint16_t width,
                                          std::uint16_t height) {
    for (std::size_t i = 0; i + 9 < jpeg.size(); ++i) {
        if (jpeg[i] == 0xff && jpeg[i + 1] == 0xc0) {
            jpeg[i + 5] = std::uint8_t(height >> 8), jpeg[i + 6] = std::uint8_t(height);
            jpeg[i + 7] = std::uint8_t(width >> 8), jpeg[i + 8] = std::uint8_t(width);
            return jpeg;
        }
    }
    ADD_FAILURE() << "no baseline frame header";
    return jpeg;
}

TEST(JPEG, PhotosDecodeWithTheirStoredPixelsAndEXIFOrientation) {
    for (int value = 0; value < 8; ++value) {
        const auto orientation = static_cast<UIImageOrientation>(value);
        SCOPED_TRACE(orientation);
        const auto photo = UIImage::imageWithData(jpegOf(quarterMarked, orientation));
        ASSERT_NE(photo, nullptr);
        EXPECT_EQ(photo->imageOrientation(), orientation);
        ASSERT_EQ(photo->CGImage()->width(), 16u) << "the pixels stay as stored";
        EXPECT_TRUE(isNear(photo->CGImage()->pixelAt(1, 1), red, 8));
        EXPECT_TRUE(isNear(photo->CGImage()->pixelAt(14, 6), blue, 8));
    }
}

// EXIF tag 0x0112 holds the orientation: a value outside 1 to 8 shows the photo as stored.
TEST(JPEG, AnOrientationOutOfRangeOrAbsentIsUp) {
    auto jpeg = jpegOf(quarterMarked, UIImageOrientationRight);
    const std::array<std::uint8_t, 4> tag = {0x01, 0x12, 0x00, 0x03};
    const auto entry = std::search(jpeg.begin(), jpeg.end(), tag.begin(), tag.end());
    ASSERT_NE(entry, jpeg.end());
    ASSERT_EQ(entry[9], 6) << "right is stored as EXIF 6";
    for (const std::uint8_t value : {0, 9, 255}) {
        entry[9] = value;
        const auto photo = UIImage::imageWithData(jpeg);
        ASSERT_NE(photo, nullptr);
        EXPECT_EQ(photo->imageOrientation(), UIImageOrientationUp) << int(value);
    }
    const auto app1 = std::search_n(jpeg.begin(), jpeg.end(), 1, 0xe1) - 1;
    ASSERT_EQ(*app1, 0xff);
    const std::ptrdiff_t segment = 2 + (app1[2] << 8 | app1[3]);
    jpeg.erase(app1, app1 + segment);
    const auto plain = UIImage::imageWithData(jpeg);
    ASSERT_NE(plain, nullptr) << "a JPEG without an EXIF block";
    EXPECT_EQ(plain->imageOrientation(), UIImageOrientationUp);
}

TEST(JPEG, BrokenOrTruncatedFilesGiveNothing) {
    const auto jpeg = jpegOf(quarterMarked, UIImageOrientationDown);
    for (const std::size_t length : {std::size_t(3), std::size_t(20), jpeg.size() / 2, jpeg.size() - 2})
        EXPECT_EQ(UIImage::imageWithData(std::span(jpeg).first(length)), nullptr) << "cut at " << length;
    EXPECT_EQ(CGImageCreateWithJPEGData({}), nullptr);
    auto garbled = jpeg;
    std::fill(garbled.begin() + std::ptrdiff_t(garbled.size() / 3), garbled.end() - 2, 0xff);
    EXPECT_EQ(UIImage::imageWithData(garbled), nullptr);
    EXPECT_EQ(UIImage::imageWithData(withClaimedSize(jpeg, 0, 8)), nullptr) << "a 0 x 8 frame";
}

TEST(JPEG, AHeaderClaimingTooManyPixelsIsRefusedBeforeDecoding) {
    const auto jpeg = jpegOf(quarterMarked, UIImageOrientationUp);
    const auto accepted = largestAllocationDuring(
        [&] { EXPECT_EQ(CGImageCreateWithJPEGData(withClaimedSize(jpeg, 8192, 4096)), nullptr); });
    if (!accepted)
        GTEST_SKIP() << "needs AddressSanitizer's allocator hooks to watch allocations";
    EXPECT_GE(*accepted, 64u * 1024u)
        << "the probe sees the decoder's row buffers for a size within the limits";
    const auto refused = largestAllocationDuring(
        [&] { EXPECT_EQ(CGImageCreateWithJPEGData(withClaimedSize(jpeg, 65000, 65000)), nullptr); });
    EXPECT_LT(*refused, 64u * 1024u);
}

} // namespace
