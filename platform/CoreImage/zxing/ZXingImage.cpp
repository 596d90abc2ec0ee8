#include "CoreImage/zxing/ZXingImage.h"

#include <exception>

namespace ZXingImage {

namespace {

std::uint32_t luminanceOf(std::uint32_t red, std::uint32_t green, std::uint32_t blue) {
    return (red * 77 + green * 150 + blue * 29) >> 8;
}

std::uint32_t luminanceOf(std::uint32_t opaquePixel) {
    return luminanceOf((opaquePixel >> 16) & 0xff, (opaquePixel >> 8) & 0xff, opaquePixel & 0xff);
}

void resize(Luminance& luminance, int width, int height) {
    luminance.width = width;
    luminance.height = height;
    luminance.pixels.resize(std::size_t(width) * std::size_t(height));
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
    return ZXing::DecodeHints()
        .setFormats(formats)
        .setTryHarder(true)
        .setTryRotate(true)
        .setTryDownscale(false)
        .setValidateITFCheckSum(true);
}

ZXing::ImageView viewOf(const CGImage& image) {
    // ARGB32 in native (little-endian) order is B, G, R, A in memory.
    return {reinterpret_cast<const std::uint8_t*>(image.pixels().data()), static_cast<int>(image.width()),
            static_cast<int>(image.height()), ZXing::ImageFormat::BGRX};
}

Luminance luminanceOverWhite(const CGImage& image) {
    Luminance luminance;
    resize(luminance, int(image.width()), int(image.height()));
    for (std::size_t i = 0; i < luminance.pixels.size(); ++i) {
        const std::uint32_t pixel = image.pixels()[i];
        // Premultiplied: white shows through by what the alpha leaves uncovered.
        const std::uint32_t white = 255 - (pixel >> 24);
        luminance.pixels[i] = static_cast<std::uint8_t>(luminanceOf(
            ((pixel >> 16) & 0xff) + white, ((pixel >> 8) & 0xff) + white, (pixel & 0xff) + white));
    }
    return luminance;
}

void invertedLuminanceOf(const CGImage& image, Luminance& into) {
    resize(into, int(image.width()), int(image.height()));
    const auto pixels = image.pixels();
    for (std::size_t i = 0; i < pixels.size(); ++i)
        into.pixels[i] = static_cast<std::uint8_t>(255 - luminanceOf(pixels[i]));
}

void halfSizeLuminanceOf(const CGImage& image, Luminance& into) {
    resize(into, int(image.width() / 2), int(image.height() / 2));
    const std::size_t width = image.width();
    const auto pixels = image.pixels();
    // Red and blue add up side by side in one word, green in another; one luminance per block.
    constexpr std::uint32_t redAndBlue = 0x00ff00ff;
    for (std::size_t y = 0; y < std::size_t(into.height); ++y) {
        const std::uint32_t* top = &pixels[2 * y * width];
        const std::uint32_t* bottom = top + width;
        std::uint8_t* out = &into.pixels[y * std::size_t(into.width)];
        for (std::size_t x = 0; x < std::size_t(into.width); ++x) {
            const std::uint32_t a = top[2 * x], b = top[2 * x + 1], c = bottom[2 * x], d = bottom[2 * x + 1];
            const std::uint32_t rb =
                (a & redAndBlue) + (b & redAndBlue) + (c & redAndBlue) + (d & redAndBlue);
            const std::uint32_t g =
                ((a >> 8) & 0xff) + ((b >> 8) & 0xff) + ((c >> 8) & 0xff) + ((d >> 8) & 0xff);
            out[x] = static_cast<std::uint8_t>(luminanceOf(rb >> 16, g, rb & 0xffff) / 4);
        }
    }
}

void halved(const Luminance& luminance, Luminance& into) {
    resize(into, luminance.width / 2, luminance.height / 2);
    const auto width = std::size_t(luminance.width);
    for (std::size_t y = 0; y < std::size_t(into.height); ++y) {
        const std::uint8_t* top = &luminance.pixels[2 * y * width];
        const std::uint8_t* bottom = top + width;
        std::uint8_t* out = &into.pixels[y * std::size_t(into.width)];
        for (std::size_t x = 0; x < std::size_t(into.width); ++x)
            out[x] = static_cast<std::uint8_t>(
                (unsigned(top[2 * x]) + top[2 * x + 1] + bottom[2 * x] + bottom[2 * x + 1]) / 4);
    }
}

void invert(Luminance& luminance) {
    for (auto& pixel : luminance.pixels)
        pixel = static_cast<std::uint8_t>(255 - pixel);
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
