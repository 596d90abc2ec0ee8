#include "CoreImage/zxing/ZXingImage.h"

#include <exception>

namespace ZXingImage {

namespace {

std::uint8_t luminanceOf(std::uint32_t red, std::uint32_t green, std::uint32_t blue) {
    return static_cast<std::uint8_t>((red * 77 + green * 150 + blue * 29) >> 8);
}

Luminance sized(const CGImage& image) {
    return {std::vector<std::uint8_t>(image.pixels().size()), static_cast<int>(image.width()),
            static_cast<int>(image.height())};
}

} // namespace

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

Luminance luminanceOverWhite(const CGImage& image) {
    Luminance luminance = sized(image);
    for (std::size_t i = 0; i < luminance.pixels.size(); ++i) {
        const std::uint32_t pixel = image.pixels()[i];
        // Premultiplied: white shows through by what the alpha leaves uncovered.
        const std::uint32_t white = 255 - (pixel >> 24);
        luminance.pixels[i] = luminanceOf(((pixel >> 16) & 0xff) + white, ((pixel >> 8) & 0xff) + white,
                                          (pixel & 0xff) + white);
    }
    return luminance;
}

Luminance luminanceOf(const CGImage& image) {
    Luminance luminance = sized(image);
    for (std::size_t i = 0; i < luminance.pixels.size(); ++i) {
        const std::uint32_t pixel = image.pixels()[i];
        luminance.pixels[i] = luminanceOf((pixel >> 16) & 0xff, (pixel >> 8) & 0xff, pixel & 0xff);
    }
    return luminance;
}

Luminance inverted(Luminance luminance) {
    for (auto& pixel : luminance.pixels)
        pixel = static_cast<std::uint8_t>(255 - pixel);
    return luminance;
}

Luminance downscaled(const Luminance& luminance, int factor) {
    Luminance small{{}, luminance.width / factor, luminance.height / factor};
    small.pixels.resize(std::size_t(small.width) * std::size_t(small.height));
    const auto area = unsigned(factor * factor);
    for (int y = 0; y < small.height; ++y)
        for (int x = 0; x < small.width; ++x) {
            unsigned sum = 0;
            for (int dy = 0; dy < factor; ++dy) {
                const std::uint8_t* row =
                    &luminance.pixels[std::size_t(y * factor + dy) * std::size_t(luminance.width)];
                for (int dx = 0; dx < factor; ++dx)
                    sum += row[x * factor + dx];
            }
            small.pixels[std::size_t(y) * std::size_t(small.width) + std::size_t(x)] =
                static_cast<std::uint8_t>(sum / area);
        }
    return small;
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
