#pragma once

#include "AVFoundation/AVMetadataObject.h"
#include "CoreGraphics/CGImage.h"

#include <cstddef>
#include <memory>
#include <span>
#include <string>
#include <string_view>
#include <vector>

// Code recognition in camera frames, safe on any thread.
namespace MetadataRecognition {

// The types the platform reads, in the order the metadata output lists them.
std::span<const std::string_view> supportedTypes();

// A thorough look at a frame is more work than fits between two frames, so it is split into passes (the
// frame as it is for two-dimensional codes, then for linear ones, then light and dark swapped, then
// downscaled for codes of large modules); a camera reads successive frames with successive passes. A scene
// held still for this many frames has been looked at in every way.
std::size_t passCount();

// Every code of the given types that pass `pass` (counted round, so any number will do) finds in the frame,
// in reading order. Passes that look for none of the types are skipped. Types the platform does not read are
// ignored; no type at all finds nothing.
std::vector<std::shared_ptr<AVMetadataObject>>
recognize(const CGImage& frame, std::span<const std::string> types, std::size_t pass);

// Every code that any pass finds, each once: a still picture looked at in every way.
std::vector<std::shared_ptr<AVMetadataObject>> recognize(const CGImage& frame,
                                                         std::span<const std::string> types);

} // namespace MetadataRecognition
