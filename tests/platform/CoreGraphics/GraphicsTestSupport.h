#pragma once

#include "CoreGraphics/CGContext.h"
#include "CoreGraphics/CGImage.h"

#include <gtest/gtest.h>

#include <array>
#include <cstdint>
#include <cstdlib>
#include <functional>
#include <ostream>
#include <string_view>
#include <vector>

using RGBA = CGImage::RGBA;

inline std::ostream& operator<<(std::ostream& out, const RGBA& pixel) {
    return out << "rgba(" << int(pixel.red) << ", " << int(pixel.green) << ", " << int(pixel.blue) << ", "
               << int(pixel.alpha) << ")";
}

inline constexpr RGBA transparent = {0, 0, 0, 0};
inline constexpr RGBA opaqueRed = {255, 0, 0, 255};
inline constexpr RGBA opaqueGreen = {0, 255, 0, 255};
inline constexpr RGBA opaqueBlue = {0, 0, 255, 255};
inline constexpr RGBA opaqueBlack = {0, 0, 0, 255};
inline constexpr RGBA opaqueWhite = {255, 255, 255, 255};

// Premultiplied native ARGB, as CGImage stores it.
inline std::uint32_t storedPixel(RGBA pixel) {
    const auto premultiply = [&](std::uint8_t component) {
        return std::uint32_t(component * pixel.alpha + 127) / 255;
    };
    return std::uint32_t(pixel.alpha) << 24 | premultiply(pixel.red) << 16 | premultiply(pixel.green) << 8 |
           premultiply(pixel.blue);
}

inline CGImageRef imageOf(std::size_t width, std::size_t height,
                          const std::function<RGBA(std::size_t x, std::size_t y)>& pixel) {
    std::vector<std::uint32_t> pixels;
    for (std::size_t y = 0; y < height; ++y)
        for (std::size_t x = 0; x < width; ++x)
            pixels.push_back(storedPixel(pixel(x, y)));
    return CGImage::make(width, height, std::move(pixels));
}

inline CGImageRef solidImage(std::size_t width, std::size_t height, RGBA colour) {
    return imageOf(width, height, [colour](std::size_t, std::size_t) { return colour; });
}

// Row 0 is the top row of the bitmap.
inline RGBA pixelOf(const CGContextRef& context, std::size_t x, std::size_t y) {
    return CGBitmapContextCreateImage(context)->pixelAt(x, y);
}

inline testing::AssertionResult isNear(RGBA actual, RGBA expected, int tolerance = 2) {
    const auto near = [tolerance](int a, int b) { return std::abs(a - b) <= tolerance; };
    if (near(actual.red, expected.red) && near(actual.green, expected.green) &&
        near(actual.blue, expected.blue) && near(actual.alpha, expected.alpha))
        return testing::AssertionSuccess();
    return testing::AssertionFailure() << actual << " is not within " << tolerance << " of " << expected;
}

// PNG files written by hand, so that tests can make files the platform must refuse: sizes beyond its
// limits, broken streams, headers that claim more than the file holds.
namespace png {

inline std::uint32_t crc32(std::string_view type, const std::vector<std::uint8_t>& data) {
    std::uint32_t crc = 0xffffffffu;
    const auto add = [&crc](std::uint8_t byte) {
        crc ^= byte;
        for (int bit = 0; bit < 8; ++bit)
            crc = (crc >> 1) ^ (0xedb88320u & (0u - (crc & 1u)));
    };
    for (const char byte : type)
        add(std::uint8_t(byte));
    for (const std::uint8_t byte : data)
        add(byte);
    return ~crc;
}

inline void appendBigEndian(std::vector<std::uint8_t>& bytes, std::uint32_t value) {
    for (int shift = 24; shift >= 0; shift -= 8)
        bytes.push_back(std::uint8_t(value >> shift));
}

inline void appendChunk(std::vector<std::uint8_t>& file, std::string_view type,
                        const std::vector<std::uint8_t>& data) {
    appendBigEndian(file, std::uint32_t(data.size()));
    file.insert(file.end(), type.begin(), type.end());
    file.insert(file.end(), data.begin(), data.end());
    appendBigEndian(file, crc32(type, data));
}

// The signature and an IHDR chunk for 8-bit RGBA pixels.
inline std::vector<std::uint8_t> header(std::uint32_t width, std::uint32_t height) {
    std::vector<std::uint8_t> file = {0x89, 'P', 'N', 'G', '\r', '\n', 0x1a, '\n'};
    std::vector<std::uint8_t> ihdr;
    appendBigEndian(ihdr, width);
    appendBigEndian(ihdr, height);
    ihdr.insert(ihdr.end(), {8, 6, 0, 0, 0});
    appendChunk(file, "IHDR", ihdr);
    return file;
}

// A zlib stream of stored (uncompressed) blocks.
inline std::vector<std::uint8_t> zlibStored(const std::vector<std::uint8_t>& data) {
    std::vector<std::uint8_t> stream = {0x78, 0x01};
    std::size_t offset = 0;
    do {
        const std::size_t length = std::min<std::size_t>(data.size() - offset, 65535);
        const bool last = offset + length == data.size();
        stream.insert(stream.end(), {std::uint8_t(last), std::uint8_t(length), std::uint8_t(length >> 8),
                                     std::uint8_t(~length), std::uint8_t(~length >> 8)});
        stream.insert(stream.end(), data.begin() + offset, data.begin() + offset + length);
        offset += length;
    } while (offset < data.size());
    std::uint32_t a = 1, b = 0;
    for (const std::uint8_t byte : data) {
        a = (a + byte) % 65521;
        b = (b + a) % 65521;
    }
    appendBigEndian(stream, b << 16 | a);
    return stream;
}

inline std::vector<std::uint8_t>
rgbaFile(std::uint32_t width, std::uint32_t height,
         const std::function<RGBA(std::uint32_t x, std::uint32_t y)>& pixel) {
    std::vector<std::uint8_t> scanlines;
    for (std::uint32_t y = 0; y < height; ++y) {
        scanlines.push_back(0);
        for (std::uint32_t x = 0; x < width; ++x) {
            const RGBA colour = pixel(x, y);
            scanlines.insert(scanlines.end(), {colour.red, colour.green, colour.blue, colour.alpha});
        }
    }
    auto file = header(width, height);
    appendChunk(file, "IDAT", zlibStored(scanlines));
    appendChunk(file, "IEND", {});
    return file;
}

} // namespace png
