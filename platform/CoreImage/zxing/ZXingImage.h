#pragma once

#include "CoreGraphics/CGGeometry.h"
#include "CoreGraphics/CGImage.h"

#include <ZXing/ReadBarcode.h>

#include <array>
#include <cstdint>
#include <optional>
#include <string>
#include <vector>

// Our bitmaps as zxing-cpp reads them, and its results as the platform reports them.
namespace ZXingImage {

// How the platform reads: the formats asked for, searching hard, in every quarter turn. Never with the
// library's own downscaled copies: zxing-cpp 1.4 then merges the same linear code found at two scales through
// a comparison that aborts the process (an assertion left on in the library), and a picture must never bring
// the device down. Downscaled reads are separate reads of a copy of our own (downscaled).
ZXing::DecodeHints hintsFor(ZXing::BarcodeFormats formats);

// What zxing-cpp finds in the view; nothing when it fails on the input instead of answering: some of its
// detectors throw on pictures they cannot make sense of (an Aztec detector's index out of range), and no
// picture may bring the device down.
ZXing::Results readBarcodes(const ZXing::ImageView& view, const ZXing::DecodeHints& hints);

// The image's own pixels, for opaque pictures such as camera frames: valid while the image lives.
ZXing::ImageView viewOf(const CGImage& image);

// One byte of luminance per pixel, rows without padding.
struct Luminance {
    std::vector<std::uint8_t> pixels;
    int width = 0;
    int height = 0;
    ZXing::ImageView view() const { return {pixels.data(), width, height, ZXing::ImageFormat::Lum}; }
};

// The picture's luminance with transparency composited over white, for pictures of any origin.
Luminance luminanceOverWhite(const CGImage& image);
// The luminance of an opaque picture such as a camera frame.
Luminance luminanceOf(const CGImage& image);
// Light and dark swapped: a light code on a dark ground as the library expects codes, dark on light.
Luminance inverted(Luminance luminance);
// Each `factor` x `factor` block averaged into one pixel; the last partial row and column are left out.
Luminance downscaled(const Luminance& luminance, int factor);

// The decoded text; nothing when the code's bytes are binary rather than text.
std::optional<std::string> textOf(const ZXing::Result& result);

// The code's four corners in pixels (top left, top right, bottom right, bottom left as the code reads).
std::array<CGPoint, 4> cornersOf(const ZXing::Result& result);

} // namespace ZXingImage
