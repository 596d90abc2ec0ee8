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

// How the platform reads: the formats asked for, searching hard, in every quarter turn, Interleaved 2 of 5
// only with a valid check digit (faint prints otherwise read as pieces of the code, each a wrong number).
// Never with the library's own downscaled copies: zxing-cpp 1.4 then merges the same linear code found at two
// scales through a comparison that aborts the process (an assertion left on in the library), and a picture
// must never bring the device down. Downscaled reads are separate reads of copies of our own
// (viewOf with `every`).
ZXing::DecodeHints hintsFor(ZXing::BarcodeFormats formats);

// Whether linear codes are also looked for in the library's own downscaled copies of the view, which read
// blurred and noisy bars best but cost about as much to make as a frame's luminance.
enum class LinearCopies { downscaled, none };

// What zxing-cpp finds in the view; nothing when it fails on the input instead of answering: some of its
// detectors throw on pictures they cannot make sense of (an Aztec detector's index out of range), and no
// picture may bring the device down.
ZXing::Results readBarcodes(const ZXing::ImageView& view, const ZXing::DecodeHints& hints,
                            LinearCopies copies = LinearCopies::downscaled);

// The image's own pixels, for opaque pictures such as camera frames: valid while the image lives. With
// `every` above 1, every that many pixels of every that many rows: the picture as a camera further away sees
// it, copying nothing.
ZXing::ImageView viewOf(const CGImage& image, int every = 1);

// One byte of luminance per pixel, rows without padding.
struct Luminance {
    std::vector<std::uint8_t> pixels;
    int width = 0;
    int height = 0;
    ZXing::ImageView view() const { return {pixels.data(), width, height, ZXing::ImageFormat::Lum}; }
};

// The picture's luminance with transparency composited over white, for pictures of any origin.
Luminance luminanceOverWhite(const CGImage& image);

// The following write into `into`, reusing its memory: a camera frame's worth of fresh memory costs more in
// page faults than the conversion itself.
// The luminance of an opaque picture such as a camera frame, light and dark swapped: a light code on a dark
// ground as the library expects codes, dark on light.
void invertedLuminanceOf(const CGImage& image, Luminance& into);
// Luminance at half its size, each 2 x 2 block averaged (an odd last row or column is left out).
void halved(const Luminance& luminance, Luminance& into);
// Light and dark swapped in place.
void invert(Luminance& luminance);

// The decoded text; nothing when the code's bytes are binary rather than text.
std::optional<std::string> textOf(const ZXing::Result& result);

// The code's four corners in pixels (top left, top right, bottom right, bottom left as the code reads).
std::array<CGPoint, 4> cornersOf(const ZXing::Result& result);

} // namespace ZXingImage
