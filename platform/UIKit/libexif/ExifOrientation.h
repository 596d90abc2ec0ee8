#pragma once

#include "UIKit/UIImage.h"

#include <cstdint>
#include <span>
#include <vector>

// How a photo's EXIF block says its pixels are to be turned, as UIKit names it.
namespace ExifOrientation {

// The orientation of a JPEG file's EXIF block: up when it has none, when the tag is missing or malformed,
// and when its value is outside 1 to 8.
UIImageOrientation ofJPEG(std::span<const std::uint8_t> jpeg);

// An APP1 payload ("Exif\0\0" and a TIFF block) that holds only the orientation tag.
std::vector<std::uint8_t> payloadFor(UIImageOrientation orientation);

} // namespace ExifOrientation
