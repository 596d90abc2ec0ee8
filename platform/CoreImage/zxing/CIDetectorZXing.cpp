#include "CoreImage/CIDetector.h"
#include "CoreImage/zxing/ZXingImage.h"

#include <algorithm>

namespace {

// The bounds of the corners, turned into CoreImage's bottom-left coordinates.
CGRect featureBounds(const ZXing::Result& result, std::size_t imageHeight) {
    const auto corners = ZXingImage::cornersOf(result);
    auto [minX, maxX] = std::minmax({corners[0].x, corners[1].x, corners[2].x, corners[3].x});
    auto [minY, maxY] = std::minmax({corners[0].y, corners[1].y, corners[2].y, corners[3].y});
    return CGRectMake(minX, CGFloat(imageHeight) - maxY, maxX - minX, maxY - minY);
}

} // namespace

std::vector<std::shared_ptr<CIFeature>> CIDetector::featuresInImage(const CIImage& image) const {
    const CGImage& picture = *image.CGImage();
    const auto luminance = ZXingImage::luminanceOverWhite(picture);
    const auto hints = ZXingImage::hintsFor(ZXing::BarcodeFormat::QRCode).setTryHarder(_highAccuracy);
    std::vector<std::shared_ptr<CIFeature>> features;
    for (const auto& result : ZXingImage::readBarcodes(luminance.view(), hints))
        features.push_back(
            CIQRCodeFeature::make(featureBounds(result, picture.height()), ZXingImage::textOf(result)));
    return features;
}
