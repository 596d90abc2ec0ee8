#include "CoreImage/CIDetector.h"
#include "CoreImage/zxing/ZXingImage.h"

#include <algorithm>

namespace {

// The bounds of the corners, found in a copy `scale` times smaller, in CoreImage's bottom-left coordinates.
CGRect featureBounds(const ZXing::Result& result, std::size_t imageHeight, int scale) {
    const auto corners = ZXingImage::cornersOf(result);
    auto [minX, maxX] = std::minmax({corners[0].x, corners[1].x, corners[2].x, corners[3].x});
    auto [minY, maxY] = std::minmax({corners[0].y, corners[1].y, corners[2].y, corners[3].y});
    return CGRectMake(minX * scale, CGFloat(imageHeight) - maxY * scale, (maxX - minX) * scale,
                      (maxY - minY) * scale);
}

// Adds the codes of `results` that no look before found (the same message is the same code).
void merge(std::vector<std::shared_ptr<CIFeature>>& features, std::size_t before,
           const ZXing::Results& results, std::size_t imageHeight, int scale) {
    for (const auto& result : results) {
        auto feature =
            CIQRCodeFeature::make(featureBounds(result, imageHeight, scale), ZXingImage::textOf(result));
        const bool known =
            std::any_of(features.begin(), features.begin() + std::ptrdiff_t(before), [&](const auto& f) {
                return static_cast<const CIQRCodeFeature&>(*f).messageString() == feature->messageString();
            });
        if (!known)
            features.push_back(std::move(feature));
    }
}

} // namespace

// At high accuracy, as a phone's detector: the picture as it is, light and dark swapped, and at a half and a
// quarter of its size for codes whose modules are too large for the library's binarizer; each code once.
std::vector<std::shared_ptr<CIFeature>> CIDetector::featuresInImage(const CIImage& image) const {
    const CGImage& picture = *image.CGImage();
    auto luminance = ZXingImage::luminanceOverWhite(picture);
    const auto hints = ZXingImage::hintsFor(ZXing::BarcodeFormat::QRCode).setTryHarder(_highAccuracy);
    std::vector<std::shared_ptr<CIFeature>> features;
    merge(features, 0, ZXingImage::readBarcodes(luminance.view(), hints), picture.height(), 1);
    if (!_highAccuracy)
        return features;
    ZXingImage::Luminance half, quarter;
    ZXingImage::halved(luminance, half);
    ZXingImage::halved(half, quarter);
    merge(features, features.size(), ZXingImage::readBarcodes(half.view(), hints), picture.height(), 2);
    merge(features, features.size(), ZXingImage::readBarcodes(quarter.view(), hints), picture.height(), 4);
    ZXingImage::invert(luminance);
    merge(features, features.size(), ZXingImage::readBarcodes(luminance.view(), hints), picture.height(), 1);
    return features;
}
