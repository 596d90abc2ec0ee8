#include "CoreGraphics/CGPixelPermutation.h"

#include "CoreGraphics/CGBands.h"

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

// A destination this large is not read again before it has left the caches: its pixels are streamed past
// them, in whole lines, instead of each line being read in first to be overwritten.
constexpr std::size_t streamedFromBytes = 4u << 20;

struct Layout {
    const std::uint32_t* image;
    std::size_t imageWidth, imageHeight;
    // Where image pixel (0, 0) goes, and how far the target moves per image column and per image row.
    std::uint32_t* origin;
    std::ptrdiff_t columnStep, rowStep;
    // Each image row lands on a device column.
    bool turned;
    bool streamed;

    std::uint32_t* target(std::size_t row, std::size_t column) const {
        return origin + std::ptrdiff_t(row) * rowStep + std::ptrdiff_t(column) * columnStep;
    }
    const std::uint32_t* source(std::size_t row, std::size_t column) const {
        return image + row * imageWidth + column;
    }
};

#if defined(__SSE2__)
// Four pixels to a 16-byte target, past the caches when the layout streams and the target allows it.
void store(const Layout& layout, std::uint32_t* target, __m128i four) {
    if (layout.streamed && (reinterpret_cast<std::uintptr_t>(target) & 15) == 0)
        _mm_stream_si128(reinterpret_cast<__m128i*>(target), four);
    else
        _mm_storeu_si128(reinterpret_cast<__m128i*>(target), four);
}

__m128i reversed(__m128i four) {
    return _mm_shuffle_epi32(four, _MM_SHUFFLE(0, 1, 2, 3));
}
#endif

// One image row onto `count` device pixels from `target`, backwards: target[i] = source[count - 1 - i].
// The source is read forwards, which the prefetcher follows, and the target is filled a whole aligned line
// at a time from its end.
void copyReversed(const Layout& layout, const std::uint32_t* source, std::uint32_t* target,
                  std::size_t count) {
    std::uint32_t* const end = target + count;
    std::size_t i = 0;
#if defined(__SSE2__)
    for (; i < count && (reinterpret_cast<std::uintptr_t>(end - i) & 63) != 0; ++i)
        end[-1 - std::ptrdiff_t(i)] = source[i];
    for (; i + 16 <= count; i += 16) {
        std::uint32_t* const line = end - i - 16;
        for (std::size_t four = 0; four < 4; ++four)
            store(layout, line + 4 * four,
                  reversed(_mm_loadu_si128(reinterpret_cast<const __m128i*>(source + i + 12 - 4 * four))));
    }
#endif
    for (; i < count; ++i)
        end[-1 - std::ptrdiff_t(i)] = source[i];
}

void copyForwards(const Layout& layout, const std::uint32_t* source, std::uint32_t* target,
                  std::size_t count) {
#if defined(__SSE2__)
    if (layout.streamed) {
        std::size_t i = 0;
        for (; i < count && (reinterpret_cast<std::uintptr_t>(target + i) & 15) != 0; ++i)
            target[i] = source[i];
        for (; i + 4 <= count; i += 4)
            store(layout, target + i, _mm_loadu_si128(reinterpret_cast<const __m128i*>(source + i)));
        for (; i < count; ++i)
            target[i] = source[i];
        return;
    }
#endif
    std::memcpy(target, source, count * sizeof(std::uint32_t));
}

// Each row lands on one device row, forwards or backwards.
void copyRows(const Layout& layout, std::size_t row, std::size_t rowEnd) {
    for (; row < rowEnd; ++row) {
        const std::uint32_t* source = layout.source(row, 0);
        if (layout.columnStep == 1)
            copyForwards(layout, source, layout.target(row, 0), layout.imageWidth);
        else
            copyReversed(layout, source, layout.target(row, layout.imageWidth - 1), layout.imageWidth);
    }
}

void movePixels(const Layout& layout, std::size_t row, std::size_t rowEnd, std::size_t column,
                std::size_t columnEnd) {
    for (; row < rowEnd; ++row) {
        for (std::size_t c = column; c < columnEnd; ++c)
            *layout.target(row, c) = *layout.source(row, c);
    }
}

#if defined(__SSE2__)
// Four rows of four pixels as four columns of four: a transpose in registers.
void transpose(__m128i rows[4]) {
    const __m128i low01 = _mm_unpacklo_epi32(rows[0], rows[1]), low23 = _mm_unpacklo_epi32(rows[2], rows[3]);
    const __m128i high01 = _mm_unpackhi_epi32(rows[0], rows[1]),
                  high23 = _mm_unpackhi_epi32(rows[2], rows[3]);
    rows[0] = _mm_unpacklo_epi64(low01, low23), rows[1] = _mm_unpackhi_epi64(low01, low23);
    rows[2] = _mm_unpacklo_epi64(high01, high23), rows[3] = _mm_unpackhi_epi64(high01, high23);
}
#endif

// `rows` rows (4 to 16, a multiple of 4) of four pixels become four device rows; each device row gets its
// pixels in one forward run, a whole line when `rows` is 16.
void moveBlock(const Layout& layout, std::size_t row, std::size_t column, std::size_t rows) {
#if defined(__SSE2__)
    const std::size_t groups = rows / 4;
    // Group g holds device pixels 4g to 4g + 3 of each of the four device rows, counted forwards.
    __m128i columns[4][4];
    for (std::size_t group = 0; group < groups; ++group) {
        const std::size_t from = layout.rowStep == 1 ? row + 4 * group : row + rows - 4 - 4 * group;
        for (std::size_t r = 0; r < 4; ++r)
            columns[group][r] =
                _mm_loadu_si128(reinterpret_cast<const __m128i*>(layout.source(from + r, column)));
        transpose(columns[group]);
    }
    for (std::size_t k = 0; k < 4; ++k) {
        std::uint32_t* first =
            layout.rowStep == 1 ? layout.target(row, column + k) : layout.target(row + rows - 1, column + k);
        for (std::size_t group = 0; group < groups; ++group)
            store(layout, first + 4 * group,
                  layout.rowStep == 1 ? columns[group][k] : reversed(columns[group][k]));
    }
#else
    movePixels(layout, row, row + rows, column, column + 4);
#endif
}

// A quarter turn goes down a tile of this many rows one column of blocks at a time, so that each device row
// gets a long run of lines before the next, and the tile's source lines, one per row, stay in the cache for
// the four columns of blocks that read them.
constexpr std::size_t tileRows = 256;

// Asks for the source lines the next column of blocks after `column` reads, one per row of the tile.
void prefetchNextLines(const Layout& layout, std::size_t row, std::size_t rowEnd, std::size_t column) {
#if defined(__SSE2__)
    if (column % 16 != 0 || column + 16 >= layout.imageWidth)
        return;
    for (; row < rowEnd; ++row)
        _mm_prefetch(reinterpret_cast<const char*>(layout.source(row, column + 16)), _MM_HINT_T0);
#endif
}

// Rows [row, rowEnd), at most a tile: blocks of 16 rows, then of 4, then single pixels for what is left.
void turnTile(const Layout& layout, std::size_t row, std::size_t rowEnd) {
    const std::size_t sixteensEnd = row + (rowEnd - row) / 16 * 16;
    const std::size_t foursEnd = sixteensEnd + (rowEnd - sixteensEnd) / 4 * 4;
    std::size_t column = 0;
    for (; column + 4 <= layout.imageWidth; column += 4) {
        prefetchNextLines(layout, row, foursEnd, column);
        std::size_t block = row;
        for (; block < sixteensEnd; block += 16)
            moveBlock(layout, block, column, 16);
        for (; block < foursEnd; block += 4)
            moveBlock(layout, block, column, 4);
    }
    movePixels(layout, row, foursEnd, column, layout.imageWidth);
    movePixels(layout, foursEnd, rowEnd, 0, layout.imageWidth);
}

// Each row lands on one device column.
void turnRowsIntoColumns(const Layout& layout, std::size_t row, std::size_t rowEnd) {
    for (; row < rowEnd; row += tileRows)
        turnTile(layout, row, std::min(row + tileRows, rowEnd));
}

void moveRows(const Layout& layout, std::size_t row, std::size_t rowEnd) {
    if (layout.turned)
        turnRowsIntoColumns(layout, row, rowEnd);
    else
        copyRows(layout, row, rowEnd);
#if defined(__SSE2__)
    // Streamed stores are ordered by nothing else, not even the thread's join: they are done before the
    // pixels count as drawn.
    _mm_sfence();
#endif
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
                           rowDX + rowDY * std::ptrdiff_t(width),
                           columnDY != 0,
                           image.size_bytes() >= streamedFromBytes};
    CGBands::share(imageHeight, tileRows, imageWidth,
                   [&](std::size_t row, std::size_t rowEnd) { moveRows(layout, row, rowEnd); });
}
