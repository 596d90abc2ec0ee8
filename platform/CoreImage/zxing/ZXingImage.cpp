#include "CoreImage/zxing/ZXingImage.h"

#include <exception>

namespace ZXingImage {

ZXing::Results readBarcodes(const ZXing::ImageView& view, const ZXing::DecodeHints& hints) {
    try {
        return ZXing::ReadBarcodes(view, hints);
    } catch (const std::exception&) {
        return {};
    }
}

ZXing::DecodeHints hintsFor(ZXing::BarcodeFormats formats) {
    return ZXing::DecodeHints().setFormats(formats).setTryHarder(true).setTryRotate(true).setTryDownscale(
        false);
}

ZXing::ImageView viewOf(const CGImage& image) {
    // ARGB32 in native (little-endian) order is B, G, R, A in memory.
    return {reinterpret_cast<const std::uint8_t*>(image.pixels().data()), static_cast<int>(image.width()),
            static_cast<int>(image.height()), ZXing::ImageFormat::BGRX};
}

std::vector<std::uint8_t> luminanceOverWhite(const CGImage& image) {
    std::vector<std::uint8_t> luminance(image.pixels().size());
    for (std::size_t i = 0; i < luminance.size(); ++i) {
        const std::uint32_t pixel = image.pixels()[i];
        const std::uint32_t alpha = pixel >> 24;
        // Premultiplied: white shows through by what the alpha leaves uncovered.
        const std::uint32_t white = 255 - alpha;
        const std::uint32_t red = ((pixel >> 16) & 0xff) + white;
        const std::uint32_t green = ((pixel >> 8) & 0xff) + white;
        const std::uint32_t blue = (pixel & 0xff) + white;
        luminance[i] = static_cast<std::uint8_t>((red * 77 + green * 150 + blue * 29) >> 8);
    }
    return luminance;
}

std::optional<std::string> textOf(const ZXing::Result& result) {
    if (result.contentType() == ZXing::ContentType::Binary)
        return std::nullopt;
    return result.text();
}

std::array<CGPoint, 4> cornersOf(const ZXing::Result& result) {
    const auto& position = result.position();
    std::array<CGPoint, 4> corners;
    for (std::size_t i = 0; i < corners.size(); ++i)
        corners[i] = CGPointMake(position[i].x, position[i].y);
    return corners;
}

} // namespace ZXingImage
