#pragma once

#include "CoreGraphics/CGImage.h"

#include <ZXing/BarcodeFormat.h>

#include <functional>
#include <optional>
#include <string>
#include <vector>

// A set of pictures of codes that are hard to read, made on the spot and the same on every run: every format
// the scanner offers at module sizes from 1 to 12 pixels, turned through the whole circle, on busy grounds,
// blurred, noisy, faint, light on dark, seen at a slant and printed larger than the camera's frame, and
// pictures that hold no code at all.
namespace HardPictures {

struct Picture {
    // The format and what was done to it, e.g. "QRCode rotated 135".
    std::string name;
    // What makes it hard, the same for every format: "module 1 px", "rotated", "blurred", ...
    std::string trouble;
    // The text the code holds; nothing for a picture without a code.
    std::optional<std::string> text;
    // Made when asked, so that the whole set is never in memory at once.
    std::function<CGImageRef()> make;
};

std::vector<Picture> everyPicture();

// The formats of the set, each with the text it carries.
struct Sample {
    ZXing::BarcodeFormat format;
    std::string text;
};
const std::vector<Sample>& samples();

} // namespace HardPictures
