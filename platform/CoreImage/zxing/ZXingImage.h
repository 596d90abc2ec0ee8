#pragma once

#include "CoreGraphics/CGGeometry.h"
#include "CoreGraphics/CGImage.h"

#include <ZXing/ReadBarcode.h>

#include <array>
#include <optional>
#include <string>
#include <vector>

// Our bitmaps as zxing-cpp reads them, and its results as the platform reports them.
namespace ZXingImage {

// How the platform reads: the formats asked for, searching hard, in every quarter turn. Never on downscaled
// copies: zxing-cpp 1.4 then merges the same linear code found at two scales through a comparison that aborts
// the process (an assertion left on in the library), and a camera frame must never bring the device down.
ZXing::DecodeHints hintsFor(ZXing::BarcodeFormats formats);

// What zxing-cpp finds in the view; nothing when it fails on the input instead of answering: some of its
// detectors throw on pictures they cannot make sense of (an Aztec detector's index out of range), and no
// picture may bring the device down.
ZXing::Results readBarcodes(const ZXing::ImageView& view, const ZXing::DecodeHints& hints);

// The image's own pixels, for opaque pictures such as camera frames: valid while the image lives.
ZXing::ImageView viewOf(const CGImage& image);

// One byte of luminance per pixel with transparency composited over white, for pictures of any origin.
std::vector<std::uint8_t> luminanceOverWhite(const CGImage& image);

// The decoded text; nothing when the code's bytes are binary rather than text.
std::optional<std::string> textOf(const ZXing::Result& result);

// The code's four corners in pixels (top left, top right, bottom right, bottom left as the code reads).
std::array<CGPoint, 4> cornersOf(const ZXing::Result& result);

} // namespace ZXingImage
