// Feeds the photo path what a library or a camera could hand it: JPEG files with their EXIF block, and PNG.
// A decoded photo is also made upright and encoded as the attachment a mail would carry.
#include "section/UprightImage.h"

#include <cstddef>
#include <cstdint>
#include <span>

namespace {

// Large pictures only repeat the work of small ones, at a hundred times the cost.
constexpr std::size_t redrawnUpTo = 1u << 20;

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    const auto photo = UIImage::imageWithData(std::span(data, size));
    if (!photo || CGImageGetWidth(photo->CGImage()) * CGImageGetHeight(photo->CGImage()) > redrawnUpTo)
        return 0;
    if (const auto upright = normaliseImageOrientation(photo))
        UIImagePNGRepresentation(*upright);
    return 0;
}
