#include "CoreGraphics/CGPixelPermutation.h"

#include <algorithm>
#include <cmath>

namespace {

// Rounding errors of a composed transform stay far below this; anything further off is a real resampling.
constexpr CGFloat tolerance = 1e-6;

std::optional<int> unitOrZero(CGFloat value) {
    for (const int candidate : {-1, 0, 1}) {
        if (std::abs(value - candidate) < tolerance)
            return candidate;
    }
    return std::nullopt;
}

std::optional<std::ptrdiff_t> whole(CGFloat value) {
    const CGFloat rounded = std::round(value);
    if (std::abs(value - rounded) >= tolerance || std::abs(rounded) > CGFloat(1u << 30))
        return std::nullopt;
    return static_cast<std::ptrdiff_t>(rounded);
}

// Pixels are copied in square tiles, so that a turned image reads and writes a few cache lines per row.
constexpr std::size_t tile = 64;

} // namespace

std::optional<CGPixelPermutation> CGPixelPermutation::of(CGAffineTransform t, std::size_t imageWidth,
                                                         std::size_t imageHeight, std::size_t width,
                                                         std::size_t height) {
    const auto a = unitOrZero(t.a), b = unitOrZero(t.b), c = unitOrZero(t.c), d = unitOrZero(t.d);
    const auto tx = whole(t.tx), ty = whole(t.ty);
    if (!a || !b || !c || !d || !tx || !ty || std::abs(*a) + std::abs(*c) != 1 ||
        std::abs(*b) + std::abs(*d) != 1 || std::abs(*a) + std::abs(*b) != 1)
        return std::nullopt;
    // The image's corners land on whole device pixels; the pixel (0, 0) covers the unit square after its
    // corner, wherever the steps point.
    const CGFloat w = CGFloat(imageWidth), h = CGFloat(imageHeight);
    const CGFloat xs[] = {CGFloat(*tx), *tx + *a * w, *tx + *c * h, *tx + *a * w + *c * h};
    const CGFloat ys[] = {CGFloat(*ty), *ty + *b * w, *ty + *d * h, *ty + *b * w + *d * h};
    if (*std::min_element(xs, xs + 4) < 0 || *std::max_element(xs, xs + 4) > CGFloat(width) ||
        *std::min_element(ys, ys + 4) < 0 || *std::max_element(ys, ys + 4) > CGFloat(height))
        return std::nullopt;
    return CGPixelPermutation{*tx + (*a + *c < 0 ? -1 : 0), *ty + (*b + *d < 0 ? -1 : 0), *a, *b, *c, *d};
}

void CGPixelPermutation::apply(std::span<const std::uint32_t> image, std::size_t imageWidth,
                               std::size_t imageHeight, std::span<std::uint32_t> device,
                               std::size_t width) const {
    const std::ptrdiff_t columnStep = columnDX + columnDY * std::ptrdiff_t(width);
    const std::ptrdiff_t rowStep = rowDX + rowDY * std::ptrdiff_t(width);
    std::uint32_t* const origin = device.data() + originX + originY * std::ptrdiff_t(width);
    for (std::size_t row0 = 0; row0 < imageHeight; row0 += tile) {
        const std::size_t rowEnd = std::min(imageHeight, row0 + tile);
        for (std::size_t column0 = 0; column0 < imageWidth; column0 += tile) {
            const std::size_t columnEnd = std::min(imageWidth, column0 + tile);
            for (std::size_t row = row0; row < rowEnd; ++row) {
                const std::uint32_t* source = image.data() + row * imageWidth + column0;
                std::uint32_t* target =
                    origin + std::ptrdiff_t(row) * rowStep + std::ptrdiff_t(column0) * columnStep;
                for (std::size_t column = column0; column < columnEnd; ++column, target += columnStep)
                    *target = *source++;
            }
        }
    }
}
