#include "GraphicsTestSupport.h"

#include "support/JPEGEncoding.h"

namespace {

// The offset of the frame header's height and width (baseline SOF0).
std::size_t sizeOffset(const std::vector<std::uint8_t>& jpeg) {
    for (std::size_t i = 0; i + 8 < jpeg.size(); ++i)
        if (jpeg[i] == 0xff && jpeg[i + 1] == 0xc0)
            return i + 5;
    return 0;
}

} // namespace

TEST(JPEGTest, DecodesAPictureOpaqueTopRowFirst) {
    const auto picture = imageOf(16, 8, [](std::size_t, std::size_t y) { return y < 4 ? red : blue; });
    const auto decoded = CGImageCreateWithJPEGData(jpegOf(*picture, 100));
    ASSERT_TRUE(decoded);
    EXPECT_EQ(decoded->width(), 16u);
    EXPECT_EQ(decoded->height(), 8u);
    EXPECT_TRUE(isNear(decoded->pixelAt(3, 1), red, 12));
    EXPECT_TRUE(isNear(decoded->pixelAt(3, 6), blue, 12));
}

TEST(JPEGTest, RefusesCorruptTruncatedAndHugePicturesWithoutDecodingThem) {
    const auto jpeg = jpegOf(*solidImage(32, 32, green), 100);
    EXPECT_FALSE(CGImageCreateWithJPEGData({}));
    EXPECT_FALSE(CGImageCreateWithJPEGData(std::vector<std::uint8_t>(jpeg.begin(), jpeg.begin() + 20)));
    auto garbage = jpeg;
    std::fill(garbage.begin() + 2, garbage.end(), 0x5a);
    EXPECT_FALSE(CGImageCreateWithJPEGData(garbage));
    // 60000 x 60000 claimed by a file of a few hundred bytes.
    auto huge = jpeg;
    const std::size_t offset = sizeOffset(huge);
    ASSERT_NE(offset, 0u);
    for (std::size_t i : {offset, offset + 2}) {
        huge[i] = 0xea;
        huge[i + 1] = 0x60;
    }
    EXPECT_FALSE(CGImageCreateWithJPEGData(huge));
}
