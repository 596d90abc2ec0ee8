#pragma once

#include "CoreGraphics/CGPixelBuffer.h"

#include <cstdint>
#include <optional>
#include <span>

// Bytes of encoders' work: on the bitmap pages, so that a photo-sized buffer costs few page faults.
using CGByteBuffer = std::vector<std::uint8_t, CGPixelAllocator<std::uint8_t>>;

// One whole zlib stream of `input`, at the fastest level: a photo's filtered rows compress several times
// faster than with zlib's fastest level, to about the size of zlib's default one. Nothing when it fails.
std::optional<CGByteBuffer> zlibCompress(std::span<const std::uint8_t> input);
