#pragma once

#include "AVFoundation/AVMetadataObject.h"
#include "CoreGraphics/CGImage.h"

#include <memory>
#include <span>
#include <string>
#include <string_view>
#include <vector>

// Code recognition in camera frames, safe on any thread.
namespace MetadataRecognition {

// The types the platform reads, in the order the metadata output lists them.
std::span<const std::string_view> supportedTypes();

// Every code of the given types in the frame, in reading order. Types the platform does not read are ignored;
// no type at all finds nothing.
std::vector<std::shared_ptr<AVMetadataObject>> recognize(const CGImage& frame,
                                                         std::span<const std::string> types);

} // namespace MetadataRecognition
