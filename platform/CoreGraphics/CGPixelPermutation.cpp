#include "CoreGraphics/CGPixelPermutation.h"

#include <algorithm>
#include <cmath>
#include <cstring>

#if defined(__SSE2__)
#include <emmintrin.h>
#endif

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

// Turned pixels are moved in square tiles, so that both the rows read and the rows written stay in cache.
constexpr std::size_t tile = 64;

struct Layout {
    const std::uint32_t* image;
    std::size_t imageWidth, imageHeight;
    // Where image pixel (0, 0) goes, and how far the target moves per image column and per image row.
    std::uint32_t* origin;
    std::ptrdiff_t columnStep, rowStep;

    std::uint32_t* target(std::size_t row, std::size_t column) const {
        return origin + std::ptrdiff_t(row) * rowStep + std::ptrdiff_t(column) * columnStep;
    }
    const std::uint32_t* source(std::size_t row, std::size_t column) const {
        return image + row * imageWidth + column;
    }
};

// Each row lands on one device row, forwards or backwards.
void copyRows(const Layout& layout) {
    for (std::size_t row = 0; row < layout.imageHeight; ++row) {
        const std::uint32_t* source = layout.source(row, 0);
        std::uint32_t* target = layout.target(row, 0);
        if (layout.columnStep == 1) {
            std::memcpy(target, source, layout.imageWidth * sizeof(std::uint32_t));
            continue;
        }
        std::size_t column = 0;
#if defined(__SSE2__)
        for (; column + 4 <= layout.imageWidth; column += 4) {
            const __m128i four = _mm_loadu_si128(reinterpret_cast<const __m128i*>(source + column));
            _mm_storeu_si128(reinterpret_cast<__m128i*>(target - column - 3),
                             _mm_shuffle_epi32(four, _MM_SHUFFLE(0, 1, 2, 3)));
        }
#endif
        for (; column < layout.imageWidth; ++column)
            *(target - column) = source[column];
    }
}

void movePixels(const Layout& layout, std::size_t row, std::size_t rowEnd, std::size_t column,
                std::size_t columnEnd) {
    for (; row < rowEnd; ++row) {
        for (std::size_t c = column; c < columnEnd; ++c)
            *layout.target(row, c) = *layout.source(row, c);
    }
}

// Four rows of four pixels become four device rows: a transpose in registers, each written forwards or
// backwards.
void moveBlock(const Layout& layout, std::size_t row, std::size_t column) {
#if defined(__SSE2__)
    __m128i rows[4];
    for (std::size_t k = 0; k < 4; ++k)
        rows[k] = _mm_loadu_si128(reinterpret_cast<const __m128i*>(layout.source(row + k, column)));
    const __m128i low01 = _mm_unpacklo_epi32(rows[0], rows[1]), low23 = _mm_unpacklo_epi32(rows[2], rows[3]);
    const __m128i high01 = _mm_unpackhi_epi32(rows[0], rows[1]),
                  high23 = _mm_unpackhi_epi32(rows[2], rows[3]);
    const __m128i columns[4] = {_mm_unpacklo_epi64(low01, low23), _mm_unpackhi_epi64(low01, low23),
                                _mm_unpacklo_epi64(high01, high23), _mm_unpackhi_epi64(high01, high23)};
    for (std::size_t k = 0; k < 4; ++k) {
        std::uint32_t* target = layout.target(row, column + k);
        if (layout.rowStep == 1)
            _mm_storeu_si128(reinterpret_cast<__m128i*>(target), columns[k]);
        else
            _mm_storeu_si128(reinterpret_cast<__m128i*>(target - 3),
                             _mm_shuffle_epi32(columns[k], _MM_SHUFFLE(0, 1, 2, 3)));
    }
#else
    movePixels(layout, row, row + 4, column, column + 4);
#endif
}

// Each row lands on one device column.
void turnRowsIntoColumns(const Layout& layout) {
    for (std::size_t row0 = 0; row0 < layout.imageHeight; row0 += tile) {
        const std::size_t rowEnd = std::min(layout.imageHeight, row0 + tile);
        for (std::size_t column0 = 0; column0 < layout.imageWidth; column0 += tile) {
            const std::size_t columnEnd = std::min(layout.imageWidth, column0 + tile);
            std::size_t row = row0;
            for (; row + 4 <= rowEnd; row += 4) {
                std::size_t column = column0;
                for (; column + 4 <= columnEnd; column += 4)
                    moveBlock(layout, row, column);
                movePixels(layout, row, row + 4, column, columnEnd);
            }
            movePixels(layout, row, rowEnd, column0, columnEnd);
        }
    }
}

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
    const Layout layout = {image.data(),
                           imageWidth,
                           imageHeight,
                           device.data() + originX + originY * std::ptrdiff_t(width),
                           columnDX + columnDY * std::ptrdiff_t(width),
                           rowDX + rowDY * std::ptrdiff_t(width)};
    if (columnDY == 0)
        copyRows(layout);
    else
        turnRowsIntoColumns(layout);
}
