#include "CoreImage/zxing/ZXingImage.h"

#include <ZXing/Quadrilateral.h>

#include <algorithm>
#include <cmath>
#include <exception>
#include <optional>

namespace ZXingImage {

namespace {

std::uint32_t luminanceOf(std::uint32_t red, std::uint32_t green, std::uint32_t blue) {
    return (red * 77 + green * 150 + blue * 29) >> 8;
}

void resize(Luminance& luminance, int width, int height) {
    luminance.width = width;
    luminance.height = height;
    luminance.pixels.resize(std::size_t(width) * std::size_t(height));
}

// One row of opaque pixels as luminance, each value XORed with `flip` (0xff swaps light and dark): a loop
// plain enough for the compiler to turn into vector code, which is what makes a frame's copy cheap.
void luminanceRow(const std::uint32_t* __restrict pixels, std::uint8_t* __restrict out, std::size_t count,
                  std::uint8_t flip) {
    // The weighted sum stays below 65,536, so it is made in 16-bit lanes, which every x86-64 multiplies.
    for (std::size_t i = 0; i < count; ++i) {
        const auto red = std::uint16_t((pixels[i] >> 16) & 0xff),
                   green = std::uint16_t((pixels[i] >> 8) & 0xff), blue = std::uint16_t(pixels[i] & 0xff);
        const auto sum = std::uint16_t(red * 77 + green * 150 + blue * 29);
        out[i] = static_cast<std::uint8_t>((sum >> 8) ^ flip);
    }
}

// Halves two rows of luminance into one, each 2 x 2 block averaged.
void halvedRow(const std::uint8_t* __restrict top, const std::uint8_t* __restrict bottom,
               std::uint8_t* __restrict out, std::size_t count) {
    for (std::size_t x = 0; x < count; ++x)
        out[x] = static_cast<std::uint8_t>(
            (unsigned(top[2 * x]) + top[2 * x + 1] + bottom[2 * x] + bottom[2 * x + 1]) / 4);
}

// A view's pixels as luminance, whatever its format, for a copy that may be drawn on.
void luminanceOfView(const ZXing::ImageView& view, Luminance& into) {
    resize(into, view.width(), view.height());
    const auto format = view.format();
    const auto width = std::size_t(view.width());
    for (int y = 0; y < view.height(); ++y) {
        std::uint8_t* out = &into.pixels[std::size_t(y) * width];
        if (format == ZXing::ImageFormat::Lum && view.pixStride() == 1)
            std::copy_n(view.data(0, y), width, out);
        else if (format == ZXing::ImageFormat::BGRX && view.pixStride() == 4)
            luminanceRow(reinterpret_cast<const std::uint32_t*>(view.data(0, y)), out, width, 0);
        else
            for (int x = 0; x < view.width(); ++x) {
                const std::uint8_t* p = view.data(x, y);
                out[x] = format == ZXing::ImageFormat::Lum
                             ? p[0]
                             : static_cast<std::uint8_t>(luminanceOf(p[ZXing::RedIndex(format)],
                                                                     p[ZXing::GreenIndex(format)],
                                                                     p[ZXing::BlueIndex(format)]));
            }
    }
}

// How much of the edges' strength lies along a line that crosses the bars squarely: a code tilted by 20
// degrees keeps 88%, one slanting at 45 degrees keeps half.
constexpr double squareCrossing = 0.8;

// The rectangle a linear code found along the line from `left` to `right` covers: its bars reach at least
// half its length above and below the rows that were read, and its guards a tenth beyond each end.
struct CodeArea {
    ZXing::PointF centre, along, across;
    double halfLength, halfHeight;

    static CodeArea of(const ZXing::Result& result) {
        const auto& p = result.position();
        const ZXing::PointF left = (ZXing::PointF(p.topLeft()) + ZXing::PointF(p.bottomLeft())) / 2;
        const ZXing::PointF right = (ZXing::PointF(p.topRight()) + ZXing::PointF(p.bottomRight())) / 2;
        const double length = std::max(1.0, ZXing::distance(left, right));
        const ZXing::PointF along = (right - left) / length;
        const double readHeight = ZXing::distance(ZXing::PointF(p.topLeft()), ZXing::PointF(p.bottomLeft()));
        return {(left + right) / 2,
                along,
                {-along.y, along.x},
                length * 0.6,
                std::max(readHeight / 2, length / 2) + 4};
    }
    bool contains(ZXing::PointF point) const {
        const auto offset = point - centre;
        return std::abs(ZXing::dot(offset, along)) <= halfLength &&
               std::abs(ZXing::dot(offset, across)) <= halfHeight;
    }
    // Whether the read line runs across the bars rather than slanting through them: the picture's edges along
    // the line change along it, not across it. Interleaved 2 of 5 has nothing but its check digit to tell a
    // code from a piece of one, and a line slanting through its bars reads as a shorter code one time in ten.
    bool crossesBarsSquarely(const Luminance& luminance) const {
        double alongEnergy = 0, energy = 0;
        const auto at = [&](int x, int y) {
            return double(luminance.pixels[std::size_t(y) * std::size_t(luminance.width) + std::size_t(x)]);
        };
        const int samples = std::max(16, int(halfLength * 2));
        for (int i = 0; i < samples; ++i) {
            const auto point = centre + (halfLength * (2.0 * i / samples - 1)) * along;
            const int x = int(std::lround(point.x));
            const int y = int(std::lround(point.y));
            if (x < 1 || y < 1 || x >= luminance.width - 1 || y >= luminance.height - 1)
                continue;
            const ZXing::PointF gradient = {at(x + 1, y) - at(x - 1, y), at(x, y + 1) - at(x, y - 1)};
            alongEnergy += ZXing::dot(gradient, along) * ZXing::dot(gradient, along);
            energy += ZXing::dot(gradient, gradient);
        }
        return energy > 0 && alongEnergy / energy >= squareCrossing;
    }
    // Paints the area white, so that the next read looks past this code: row by row, over the span of the
    // row that lies within both pairs of sides.
    void erase(Luminance& luminance) const {
        const double reach = halfLength + halfHeight;
        const int top = std::max(0, int(centre.y - reach)),
                  bottom = std::min(luminance.height, int(centre.y + reach) + 1);
        for (int y = top; y < bottom; ++y) {
            const double dy = y - centre.y;
            auto [from, to] = within(along.x, dy * along.y, halfLength);
            const auto [acrossFrom, acrossTo] = within(across.x, dy * across.y, halfHeight);
            from = std::max({from, acrossFrom, 0.0});
            to = std::min({to, acrossTo, double(luminance.width - 1)});
            if (from > to)
                continue;
            const auto first = std::size_t(std::ceil(from)), last = std::size_t(std::floor(to));
            auto* row = &luminance.pixels[std::size_t(y) * std::size_t(luminance.width)];
            std::fill(row + first, row + last + 1, std::uint8_t(255));
        }
    }
    // The x between which |slope * (x - centre.x) + offset| <= half; an empty span is one that ends before
    // it starts.
    std::pair<double, double> within(double slope, double offset, double half) const {
        if (std::abs(slope) < 1e-9)
            return std::abs(offset) <= half ? std::pair{-1e18, 1e18} : std::pair{1.0, 0.0};
        const double one = (-half - offset) / slope, other = (half - offset) / slope;
        return {centre.x + std::min(one, other), centre.x + std::max(one, other)};
    }
};

// At most this many linear codes are read from one picture.
constexpr int linearReadsAtMost = 8;

ZXing::Results libraryRead(const ZXing::ImageView& view, const ZXing::DecodeHints& hints) {
    try {
        return ZXing::ReadBarcodes(view, hints);
    } catch (const std::exception&) {
        return {};
    }
}

// zxing-cpp 1.4 aborts the process when one read finds the same linear code twice (seen turned as well as
// upright, at two scales, or two equal labels side by side): it compares the two through an assertion left
// on in the library. So linear codes are read one per read, each painted out of a copy before the next read;
// a read that stops at its first code compares nothing, so it may look at the library's downscaled copies
// too.
ZXing::Results readLinearCodes(const ZXing::ImageView& view, ZXing::DecodeHints hints, LinearCopies copies) {
    hints.setMaxNumberOfSymbols(1).setTryDownscale(copies == LinearCopies::downscaled);
    ZXing::Results found;
    // The copy painted on is kept for the thread's next frame: a frame's worth of fresh memory costs more in
    // page faults than filling it.
    thread_local Luminance copy;
    bool copied = false;
    std::vector<CodeArea> areas;
    for (int reads = 0; reads < linearReadsAtMost; ++reads) {
        auto next = libraryRead(copied ? copy.view() : view, hints);
        if (next.empty())
            break;
        const ZXing::PointF centre(ZXing::Center(next.front().position()));
        // What was painted out reads again only when the area was too small: looking on would find it
        // forever.
        if (std::any_of(areas.begin(), areas.end(),
                        [&](const CodeArea& area) { return area.contains(centre); }))
            break;
        if (!copied)
            luminanceOfView(view, copy);
        copied = true;
        areas.push_back(CodeArea::of(next.front()));
        if (next.front().format() != ZXing::BarcodeFormat::ITF || areas.back().crossesBarsSquarely(copy))
            found.push_back(std::move(next.front()));
        areas.back().erase(copy);
    }
    return found;
}

} // namespace

ZXing::Results readBarcodes(const ZXing::ImageView& view, const ZXing::DecodeHints& hints,
                            LinearCopies copies) {
    // No format named means every format, as the library takes it.
    const ZXing::BarcodeFormats wanted =
        hints.formats().empty() ? ZXing::BarcodeFormat::Any : hints.formats();
    const auto linear = wanted & ZXing::BarcodeFormat::LinearCodes;
    const auto matrix = wanted & ZXing::BarcodeFormat::MatrixCodes;
    // Linear codes first, as the library's own readers come.
    ZXing::Results results;
    if (!linear.empty())
        results = readLinearCodes(view, ZXing::DecodeHints(hints).setFormats(linear), copies);
    if (!matrix.empty())
        for (auto& result : libraryRead(view, ZXing::DecodeHints(hints).setFormats(matrix)))
            results.push_back(std::move(result));
    return results;
}

ZXing::DecodeHints hintsFor(ZXing::BarcodeFormats formats) {
    return ZXing::DecodeHints()
        .setFormats(formats)
        .setTryHarder(true)
        .setTryRotate(true)
        .setTryDownscale(false)
        .setValidateITFCheckSum(true);
}

ZXing::ImageView viewOf(const CGImage& image, int every) {
    // ARGB32 in native (little-endian) order is B, G, R, A in memory.
    const int pixelBytes = 4;
    return {reinterpret_cast<const std::uint8_t*>(image.pixels().data()),
            static_cast<int>(image.width()) / every,
            static_cast<int>(image.height()) / every,
            ZXing::ImageFormat::BGRX,
            static_cast<int>(image.width()) * pixelBytes * every,
            pixelBytes * every};
}

Luminance luminanceOverWhite(const CGImage& image) {
    Luminance luminance;
    resize(luminance, int(image.width()), int(image.height()));
    for (std::size_t i = 0; i < luminance.pixels.size(); ++i) {
        const std::uint32_t pixel = image.pixels()[i];
        // Premultiplied: white shows through by what the alpha leaves uncovered.
        const std::uint32_t white = 255 - (pixel >> 24);
        luminance.pixels[i] = static_cast<std::uint8_t>(luminanceOf(
            ((pixel >> 16) & 0xff) + white, ((pixel >> 8) & 0xff) + white, (pixel & 0xff) + white));
    }
    return luminance;
}

void invertedLuminanceOf(const CGImage& image, Luminance& into) {
    resize(into, int(image.width()), int(image.height()));
    luminanceRow(image.pixels().data(), into.pixels.data(), into.pixels.size(), 0xff);
}

void halved(const Luminance& luminance, Luminance& into) {
    resize(into, luminance.width / 2, luminance.height / 2);
    const auto width = std::size_t(luminance.width);
    for (std::size_t y = 0; y < std::size_t(into.height); ++y) {
        const std::uint8_t* top = &luminance.pixels[2 * y * width];
        halvedRow(top, top + width, &into.pixels[y * std::size_t(into.width)], std::size_t(into.width));
    }
}

void invert(Luminance& luminance) {
    for (auto& pixel : luminance.pixels)
        pixel = static_cast<std::uint8_t>(255 - pixel);
}

std::optional<std::string> textOf(const ZXing::Result& result) {
    if (result.contentType() == ZXing::ContentType::Binary)
        return std::nullopt;
    return result.text();
}

std::array<CGPoint, 4> cornersOf(const ZXing::Result& result) {
    const auto& position = result.position();
    std::array<CGPoint, 4> corners;
    for (std::size_t i = 0; i < corners.size(); ++i)
        corners[i] = CGPointMake(position[i].x, position[i].y);
    return corners;
}

} // namespace ZXingImage
