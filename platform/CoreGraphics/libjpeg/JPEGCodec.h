#pragma once

#include "CoreGraphics/CGImage.h"

#include <cstdint>
#include <span>
#include <vector>

// For UIKit's JPEG representation: the platform's encoder, which carries the image's EXIF block along.
namespace JPEGCodec {

// Baseline JPEG of the image's colour at `quality` (1 to 100) with `exif` (an APP1 payload starting with
// "Exif\0\0") written first; nothing when the image cannot be encoded.
std::vector<std::uint8_t> encode(const CGImageRef& image, int quality, std::span<const std::uint8_t> exif);

} // namespace JPEGCodec
