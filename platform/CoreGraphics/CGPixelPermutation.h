#pragma once

#include "objc/objc-api.h"

#include "CoreGraphics/CGGeometry.h"

#include <cstddef>
#include <cstdint>
#include <optional>
#include <span>

// Where a drawing puts the pixels of an image when it turns them by right angles, mirrors them or moves them
// by whole pixels, at one image pixel per device pixel: then drawing is a pure permutation of the pixels.
struct ORVANE_EXPORT CGPixelPermutation {
    // The device pixel (top-left origin, y down) that image pixel (0, 0) lands on.
    std::ptrdiff_t originX, originY;
    // How the device position moves per image column and per image row: each a unit step along one axis.
    int columnDX, columnDY, rowDX, rowDY;

    // The permutation when `imageToDevice`, which maps image pixel coordinates (column, row, top-left origin)
    // to device coordinates, is one and the image lands wholly inside a width x height device; otherwise
    // nothing.
    static std::optional<CGPixelPermutation> of(CGAffineTransform imageToDevice, std::size_t imageWidth,
                                                std::size_t imageHeight, std::size_t width,
                                                std::size_t height);

    // Copies every image pixel to its device pixel; the device rows are `width` pixels long.
    void apply(std::span<const std::uint32_t> image, std::size_t imageWidth, std::size_t imageHeight,
               std::span<std::uint32_t> device, std::size_t width) const;
};
