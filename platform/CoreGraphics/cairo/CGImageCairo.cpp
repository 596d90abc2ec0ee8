#include "CoreGraphics/cairo/CGImageCairo.h"

#include <algorithm>
#include <array>
#include <cstring>

namespace {

constexpr std::array<std::uint8_t, 8> pngSignature = {0x89, 'P', 'N', 'G', '\r', '\n', 0x1a, '\n'};
// Signature, then the IHDR chunk's length and type, then its width and height.
constexpr std::size_t ihdrLengthOffset = 8;
constexpr std::size_t ihdrTypeOffset = 12;
constexpr std::size_t ihdrWidthOffset = 16;
constexpr std::size_t ihdrHeightOffset = 20;
constexpr std::size_t ihdrDataLength = 13;

std::uint32_t bigEndian32(std::span<const std::uint8_t> bytes, std::size_t offset) {
    return std::uint32_t(bytes[offset]) << 24 | std::uint32_t(bytes[offset + 1]) << 16 |
           std::uint32_t(bytes[offset + 2]) << 8 | std::uint32_t(bytes[offset + 3]);
}

// The decoder allocates the whole bitmap before it reads any pixel data, so the size a file claims is
// checked first: a few bytes must not be able to claim gigabytes.
bool headerIsAcceptable(std::span<const std::uint8_t> bytes) {
    if (bytes.size() < ihdrHeightOffset + 4 ||
        !std::equal(pngSignature.begin(), pngSignature.end(), bytes.begin()))
        return false;
    if (bigEndian32(bytes, ihdrLengthOffset) != ihdrDataLength ||
        std::memcmp(bytes.data() + ihdrTypeOffset, "IHDR", 4) != 0)
        return false;
    return CGImage::isWithinLimits(bigEndian32(bytes, ihdrWidthOffset), bigEndian32(bytes, ihdrHeightOffset));
}

cairo_status_t readFromSpan(void* closure, unsigned char* data, unsigned int length) {
    auto& remaining = *static_cast<std::span<const std::uint8_t>*>(closure);
    if (length > remaining.size())
        return CAIRO_STATUS_READ_ERROR;
    std::memcpy(data, remaining.data(), length);
    remaining = remaining.subspan(length);
    return CAIRO_STATUS_SUCCESS;
}

} // namespace

CairoSurface surfaceForImage(const CGImage& image) {
    // cairo wants mutable storage, but a surface used only as a source or for encoding is never written.
    auto* data = reinterpret_cast<unsigned char*>(const_cast<std::uint32_t*>(image.pixels().data()));
    const int width = static_cast<int>(image.width());
    return CairoSurface(cairo_image_surface_create_for_data(data, CAIRO_FORMAT_ARGB32, width,
                                                            static_cast<int>(image.height()), width * 4));
}

CGImageRef imageFromSurface(cairo_surface_t* surface) {
    const int width = cairo_image_surface_get_width(surface);
    const int height = cairo_image_surface_get_height(surface);
    if (cairo_surface_status(surface) != CAIRO_STATUS_SUCCESS || width <= 0 || height <= 0 ||
        !CGImage::isWithinLimits(width, height))
        return nullptr;
    CGPixelBuffer pixels(std::size_t(width) * std::size_t(height));
    CairoSurface copy(cairo_image_surface_create_for_data(reinterpret_cast<unsigned char*>(pixels.data()),
                                                          CAIRO_FORMAT_ARGB32, width, height, width * 4));
    CairoContext context(cairo_create(copy.get()));
    // Painting converts every format cairo may hand us (RGB24 gets opaque alpha) to premultiplied ARGB32.
    cairo_set_source_surface(context.get(), surface, 0, 0);
    cairo_set_operator(context.get(), CAIRO_OPERATOR_SOURCE);
    cairo_paint(context.get());
    cairo_surface_flush(copy.get());
    if (cairo_status(context.get()) != CAIRO_STATUS_SUCCESS)
        return nullptr;
    return CGImageCreateWithPixelBuffer(width, height, std::move(pixels));
}

CGImageRef CGImageCreateWithPNGData(std::span<const std::uint8_t> bytes) {
    if (!headerIsAcceptable(bytes))
        return nullptr;
    std::span<const std::uint8_t> remaining = bytes;
    const CairoSurface decoded(cairo_image_surface_create_from_png_stream(readFromSpan, &remaining));
    if (cairo_surface_status(decoded.get()) != CAIRO_STATUS_SUCCESS)
        return nullptr;
    return imageFromSurface(decoded.get());
}
