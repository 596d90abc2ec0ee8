#pragma once

#include "objc/objc-api.h"

#include "CoreGraphics/CGPixelBuffer.h"
#include "Foundation/NSObject.h"

#include <cstddef>
#include <cstdint>
#include <memory>
#include <span>
#include <vector>

// A bitmap: 32-bit pixels, alpha premultiplied, in the native-endian ARGB layout (bytes B, G, R, A in
// memory), rows top to bottom, no padding. Immutable once made.
class CGImage;
using CGImageRef = std::shared_ptr<const CGImage>;

// Nothing when either side is 0 or the pixel count is beyond what an image may hold.
ORVANE_EXPORT CGImageRef CGImageCreate(std::size_t width, std::size_t height,
                                       std::vector<std::uint32_t> pixels);
// The same, taking the pixels without a copy: what decoders use for photo-sized bitmaps.
ORVANE_EXPORT CGImageRef CGImageCreateWithPixelBuffer(std::size_t width, std::size_t height,
                                                      CGPixelBuffer pixels);

class ORVANE_EXPORT CGImage : public NSObject {
    OBJC_OBJECT(CGImage, NSObject)
    // Straight (not premultiplied) components of one pixel, for readers such as tests and encoders.
    struct RGBA {
        std::uint8_t red, green, blue, alpha;
        bool operator==(const RGBA&) const = default;
    };

    std::size_t width() const { return _width; }
    std::size_t height() const { return _height; }
    std::span<const std::uint32_t> pixels() const { return *_pixels; }
    RGBA pixelAt(std::size_t x, std::size_t y) const;

    // The largest image the platform makes or decodes: bounds the memory any one file can claim.
    static constexpr std::size_t maximumSide = 16384;
    static constexpr std::size_t maximumPixels = 48u * 1024 * 1024;
    // Whether an image of this size may be made: both sides from 1 to maximumSide, at most maximumPixels.
    static bool isWithinLimits(std::size_t width, std::size_t height);

  protected:
    // Images made of a bitmap context share its pixels; the context copies them before it draws again.
    CGImage(std::size_t width, std::size_t height, std::shared_ptr<const CGPixelBuffer> pixels);

  private:
    std::size_t _width;
    std::size_t _height;
    std::shared_ptr<const CGPixelBuffer> _pixels;
};

ORVANE_EXPORT std::size_t CGImageGetWidth(const CGImageRef& image);
ORVANE_EXPORT std::size_t CGImageGetHeight(const CGImageRef& image);

// PNG, through the platform's decoder: nothing for bytes that are not a whole, sane PNG (including one whose
// header claims more pixels than CGImage::maximumPixels).
ORVANE_EXPORT CGImageRef CGImageCreateWithPNGData(std::span<const std::uint8_t> bytes);
// The image's reference is let go once its rows are filtered: a caller that moves its only reference in lets
// the pixels go before the rows are compressed.
ORVANE_EXPORT std::vector<std::uint8_t> CGImagePNGRepresentation(CGImageRef image);
// JPEG (baseline or progressive, any colour space libjpeg converts to RGB), opaque; nothing for bytes that
// are not a whole, sane JPEG, and for one that claims more pixels than CGImage::maximumPixels, before
// decoding it.
ORVANE_EXPORT CGImageRef CGImageCreateWithJPEGData(std::span<const std::uint8_t> bytes);
