#include "CoreGraphics/CGImage.h"

#include <algorithm>

namespace {

std::uint8_t unpremultiplied(std::uint32_t component, std::uint32_t alpha) {
    return static_cast<std::uint8_t>(std::min<std::uint32_t>(255, (component * 255 + alpha / 2) / alpha));
}

} // namespace

CGImage::CGImage(std::size_t width, std::size_t height, std::shared_ptr<const CGPixelBuffer> pixels)
    : _width(width), _height(height), _pixels(std::move(pixels)) {}

bool CGImage::isWithinLimits(std::size_t width, std::size_t height) {
    return width > 0 && height > 0 && width <= maximumSide && height <= maximumSide &&
           width * height <= maximumPixels;
}

CGImageRef CGImageCreate(std::size_t width, std::size_t height, std::vector<std::uint32_t> pixels) {
    return CGImageCreateWithPixelBuffer(width, height, CGPixelBuffer(pixels.begin(), pixels.end()));
}

// pixelAt and every drawing path index by width and height, so the storage always matches them.
CGImageRef CGImageCreateWithPixelBuffer(std::size_t width, std::size_t height, CGPixelBuffer pixels) {
    if (!CGImage::isWithinLimits(width, height) || pixels.size() != width * height)
        return nullptr;
    return CGImage::make(width, height, std::make_shared<const CGPixelBuffer>(std::move(pixels)));
}

CGImage::RGBA CGImage::pixelAt(std::size_t x, std::size_t y) const {
    if (x >= _width || y >= _height)
        return {0, 0, 0, 0};
    const std::uint32_t pixel = (*_pixels)[y * _width + x];
    const std::uint32_t alpha = pixel >> 24;
    if (alpha == 0)
        return {0, 0, 0, 0};
    return {unpremultiplied((pixel >> 16) & 0xff, alpha), unpremultiplied((pixel >> 8) & 0xff, alpha),
            unpremultiplied(pixel & 0xff, alpha), static_cast<std::uint8_t>(alpha)};
}

std::size_t CGImageGetWidth(const CGImageRef& image) {
    return image ? image->width() : 0;
}

std::size_t CGImageGetHeight(const CGImageRef& image) {
    return image ? image->height() : 0;
}
