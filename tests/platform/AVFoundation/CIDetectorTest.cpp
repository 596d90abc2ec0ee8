#include "CoreImage/CIDetector.h"
#include "support/CodePictures.h"

#include <gtest/gtest.h>

namespace {

std::vector<std::shared_ptr<CIFeature>> featuresIn(const CGImageRef& picture) {
    const auto detector = CIDetector::detectorOfType(
        CIDetectorTypeQRCode, {{std::string(CIDetectorAccuracy), std::string(CIDetectorAccuracyHigh)}});
    return detector->featuresInImage(*CIImage::imageWithCGImage(picture));
}

const CIQRCodeFeature& qrAt(const std::vector<std::shared_ptr<CIFeature>>& features, std::size_t index) {
    return dynamic_cast<const CIQRCodeFeature&>(*features.at(index));
}

} // namespace

TEST(CIDetectorTest, FindsQRCodesOnlyWithTheirMessages) {
    EXPECT_EQ(CIDetector::detectorOfType("CIDetectorTypeFace"), nullptr);
    EXPECT_EQ(CIImage::imageWithCGImage(nullptr), nullptr);

    const auto features = featuresIn(CodePictures::code(ZXing::BarcodeFormat::QRCode, "still picture"));
    ASSERT_EQ(features.size(), 1u);
    EXPECT_EQ(features[0]->type(), CIFeatureTypeQRCode);
    EXPECT_EQ(qrAt(features, 0).messageString(), "still picture");
    EXPECT_GT(features[0]->bounds().size.width, 100);

    EXPECT_TRUE(featuresIn(CodePictures::code(ZXing::BarcodeFormat::EAN13, "4006381333931")).empty());
    EXPECT_TRUE(featuresIn(CodePictures::code(ZXing::BarcodeFormat::DataMatrix, "matrix")).empty());
    const auto binary = featuresIn(CodePictures::binaryQRCode());
    ASSERT_EQ(binary.size(), 1u);
    EXPECT_EQ(qrAt(binary, 0).messageString(), std::nullopt);
}

TEST(CIDetectorTest, ReadsTransparentPicturesAsIfOnWhite) {
    // Black modules on a transparent background: read as black on white, not as black on black.
    const auto opaque = CodePictures::code(ZXing::BarcodeFormat::QRCode, "cut out");
    std::vector<std::uint32_t> pixels(opaque->pixels().begin(), opaque->pixels().end());
    for (auto& pixel : pixels)
        pixel = pixel == 0xffffffffu ? 0 : pixel;
    const auto features = featuresIn(CGImageCreate(opaque->width(), opaque->height(), std::move(pixels)));
    ASSERT_EQ(features.size(), 1u);
    EXPECT_EQ(qrAt(features, 0).messageString(), "cut out");
}

TEST(CIDetectorTest, SearchingHardReadsLightOnDarkAndHugeModulesEachOnce) {
    const auto code = CodePictures::code(ZXing::BarcodeFormat::QRCode, "light on dark", 8);
    std::vector<std::uint32_t> pixels(code->pixels().begin(), code->pixels().end());
    for (auto& pixel : pixels)
        pixel ^= 0x00ffffffu;
    const auto inverted = CGImageCreate(code->width(), code->height(), std::move(pixels));
    const auto quick = CIDetector::detectorOfType(
        CIDetectorTypeQRCode, {{std::string(CIDetectorAccuracy), std::string(CIDetectorAccuracyLow)}});
    EXPECT_TRUE(quick->featuresInImage(*CIImage::imageWithCGImage(inverted)).empty());
    const auto found = featuresIn(inverted);
    ASSERT_EQ(found.size(), 1u);
    EXPECT_EQ(qrAt(found, 0).messageString(), "light on dark");

    // Read at full, half and quarter size, reported once, with bounds in the picture's own pixels.
    const auto large = CodePictures::code(ZXing::BarcodeFormat::QRCode, "large", 24);
    const auto features = featuresIn(large);
    ASSERT_EQ(features.size(), 1u);
    EXPECT_EQ(qrAt(features, 0).messageString(), "large");
    EXPECT_GT(features[0]->bounds().size.width, CGFloat(large->width()) * 0.6);
    EXPECT_LE(features[0]->bounds().size.width, CGFloat(large->width()));
}
