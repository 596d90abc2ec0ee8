#pragma once

#include "CoreGraphics/CGContext.h"
#include "UIKit/UIGraphics.h"
#include "UIKit/UIKitHost.h"
#include "UIKit/UIScreen.h"

#include <gtest/gtest.h>

#include <cstdlib>
#include <functional>
#include <ostream>

using RGBA = CGImage::RGBA;

inline std::ostream& operator<<(std::ostream& out, const RGBA& pixel) {
    return out << "rgba(" << int(pixel.red) << ", " << int(pixel.green) << ", " << int(pixel.blue) << ", "
               << int(pixel.alpha) << ")";
}

inline constexpr RGBA clear = {0, 0, 0, 0};
inline constexpr RGBA red = {255, 0, 0, 255};
inline constexpr RGBA green = {0, 255, 0, 255};
inline constexpr RGBA blue = {0, 0, 255, 255};
inline constexpr RGBA black = {0, 0, 0, 255};
inline constexpr RGBA white = {255, 255, 255, 255};

// Stored as CGImage stores it: premultiplied, row 0 at the top.
inline CGImageRef imageOf(std::size_t width, std::size_t height,
                          const std::function<RGBA(std::size_t x, std::size_t y)>& pixel) {
    std::vector<std::uint32_t> pixels;
    for (std::size_t y = 0; y < height; ++y) {
        for (std::size_t x = 0; x < width; ++x) {
            const RGBA p = pixel(x, y);
            const auto premultiplied = [&](std::uint8_t c) { return std::uint32_t(c * p.alpha + 127) / 255; };
            pixels.push_back(std::uint32_t(p.alpha) << 24 | premultiplied(p.red) << 16 |
                             premultiplied(p.green) << 8 | premultiplied(p.blue));
        }
    }
    return CGImageCreate(width, height, std::move(pixels));
}

inline CGImageRef solidImage(std::size_t width, std::size_t height, RGBA colour) {
    return imageOf(width, height, [colour](std::size_t, std::size_t) { return colour; });
}

inline testing::AssertionResult isNear(RGBA actual, RGBA expected, int tolerance = 2) {
    const auto near = [tolerance](int a, int b) { return std::abs(a - b) <= tolerance; };
    if (near(actual.red, expected.red) && near(actual.green, expected.green) &&
        near(actual.blue, expected.blue) && near(actual.alpha, expected.alpha))
        return testing::AssertionSuccess();
    return testing::AssertionFailure() << actual << " is not within " << tolerance << " of " << expected;
}

// Sets the main screen's scale for one test.
class ScreenScale {
  public:
    explicit ScreenScale(CGFloat scale) : _previous(UIScreen::mainScreen().scale()) {
        UIKitHost::setScale(UIScreen::mainScreen(), scale);
    }
    ~ScreenScale() { UIKitHost::setScale(UIScreen::mainScreen(), _previous); }
    ScreenScale(const ScreenScale&) = delete;
    ScreenScale& operator=(const ScreenScale&) = delete;

  private:
    CGFloat _previous;
};

// An image context open for one scope, closed even when a test fails.
class ImageContext {
  public:
    explicit ImageContext(CGSize size, CGFloat scale = 1, bool opaque = false) {
        UIGraphicsBeginImageContextWithOptions(size, opaque, scale);
    }
    ~ImageContext() { UIGraphicsEndImageContext(); }
    ImageContext(const ImageContext&) = delete;
    ImageContext& operator=(const ImageContext&) = delete;

    CGContextRef context() const { return UIGraphicsGetCurrentContext(); }
    RGBA at(std::size_t x, std::size_t y) const {
        return CGBitmapContextCreateImage(context())->pixelAt(x, y);
    }
};
