#include "CoreGraphics/CGImage.h"
#include "fuzz/Require.h"

#include <algorithm>
#include <cstddef>
#include <cstdint>
#include <span>

namespace {

bool sameAlpha(const CGImage& one, const CGImage& other) {
    const auto first = one.pixels();
    const auto second = other.pixels();
    return std::ranges::equal(
        first, second, {}, [](std::uint32_t pixel) { return pixel >> 24; },
        [](std::uint32_t pixel) { return pixel >> 24; });
}

} // namespace

// Icons and pictures come from files on the device. A picture the decoder takes has a sane size, and what the
// encoder makes of it decodes again to the same size and coverage.
extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    const auto image = CGImageCreateWithPNGData(std::span(data, size));
    if (!image)
        return 0;
    const std::size_t width = CGImageGetWidth(image);
    const std::size_t height = CGImageGetHeight(image);
    require(width > 0 && height > 0 && width * height <= CGImage::maximumPixels);
    const auto encoded = CGImagePNGRepresentation(image);
    const auto decoded = CGImageCreateWithPNGData(encoded);
    require(decoded && CGImageGetWidth(decoded) == width && CGImageGetHeight(decoded) == height);
    require(sameAlpha(*image, *decoded));
    return 0;
}
