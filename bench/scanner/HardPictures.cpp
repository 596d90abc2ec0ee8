#include "HardPictures.h"

#include "CoreGraphics/CGContext.h"
#include "support/CodePictures.h"

#include <algorithm>
#include <array>
#include <cmath>
#include <numbers>
#include <random>

namespace HardPictures {

namespace {

using Pixels = std::vector<std::uint32_t>;

constexpr std::uint32_t pixel(int red, int green, int blue) {
    return 0xff000000u | std::uint32_t(std::clamp(red, 0, 255)) << 16 |
           std::uint32_t(std::clamp(green, 0, 255)) << 8 | std::uint32_t(std::clamp(blue, 0, 255));
}

int red(std::uint32_t p) {
    return int(p >> 16 & 0xff);
}
int green(std::uint32_t p) {
    return int(p >> 8 & 0xff);
}
int blue(std::uint32_t p) {
    return int(p & 0xff);
}

Pixels pixelsOf(const CGImageRef& image) {
    return {image->pixels().begin(), image->pixels().end()};
}

CGImageRef withPixels(const CGImageRef& like, Pixels pixels) {
    return CGImageCreate(like->width(), like->height(), std::move(pixels));
}

// Each pixel changed on its own.
template <typename Change> CGImageRef mapped(const CGImageRef& image, Change change) {
    auto pixels = pixelsOf(image);
    for (auto& p : pixels)
        p = change(p);
    return withPixels(image, std::move(pixels));
}

CGImageRef inverted(const CGImageRef& image) {
    return mapped(image, [](std::uint32_t p) { return pixel(255 - red(p), 255 - green(p), 255 - blue(p)); });
}

// Black becomes `dark` and white `light`, of 255.
CGImageRef faint(const CGImageRef& image, int dark, int light) {
    const auto squeeze = [=](int v) { return dark + v * (light - dark) / 255; };
    return mapped(
        image, [&](std::uint32_t p) { return pixel(squeeze(red(p)), squeeze(green(p)), squeeze(blue(p))); });
}

CGImageRef noisy(const CGImageRef& image, int amplitude, unsigned seed) {
    std::mt19937 random(seed);
    std::normal_distribution<double> noise(0, amplitude);
    return mapped(image, [&](std::uint32_t p) {
        const int n = int(std::lround(noise(random)));
        return pixel(red(p) + n, green(p) + n, blue(p) + n);
    });
}

// A box blur `radius` pixels each way, along rows and then columns, as a lens out of focus smears.
CGImageRef blurred(const CGImageRef& image, int radius) {
    const int width = int(image->width());
    const int height = int(image->height());
    auto pixels = pixelsOf(image);
    const auto pass = [&](int lines, int length, auto at) {
        Pixels line(static_cast<std::size_t>(length));
        for (int l = 0; l < lines; ++l) {
            for (int i = 0; i < length; ++i)
                line[std::size_t(i)] = pixels[at(l, i)];
            for (int i = 0; i < length; ++i) {
                int r = 0, g = 0, b = 0, n = 0;
                for (int j = std::max(0, i - radius); j <= std::min(length - 1, i + radius); ++j, ++n) {
                    r += red(line[std::size_t(j)]);
                    g += green(line[std::size_t(j)]);
                    b += blue(line[std::size_t(j)]);
                }
                pixels[at(l, i)] = pixel(r / n, g / n, b / n);
            }
        }
    };
    pass(height, width, [&](int y, int x) { return std::size_t(y) * std::size_t(width) + std::size_t(x); });
    pass(width, height, [&](int x, int y) { return std::size_t(y) * std::size_t(width) + std::size_t(x); });
    return withPixels(image, std::move(pixels));
}

// A ground of overlapping rectangles and lines in many colours, as a poster or a shop shelf behind a label.
void drawBusyGround(const CGContextRef& context, CGFloat width, CGFloat height, unsigned seed) {
    std::mt19937 random(seed);
    std::uniform_real_distribution<CGFloat> unit(0, 1);
    CGContextSetRGBFillColor(context, unit(random), unit(random), unit(random), 1);
    CGContextFillRect(context, CGRectMake(0, 0, width, height));
    for (int i = 0; i < 160; ++i) {
        CGContextSetRGBFillColor(context, unit(random), unit(random), unit(random), 1);
        const CGFloat w = 4 + unit(random) * width / 5;
        const CGFloat h = 4 + unit(random) * height / 5;
        CGContextFillRect(context,
                          CGRectMake(unit(random) * width - w / 2, unit(random) * height - h / 2, w, h));
    }
}

// The picture on a canvas `margin` times its larger side, turned by `degrees` about its centre.
CGImageRef onCanvas(const CGImageRef& picture, CGFloat degrees, CGFloat margin,
                    std::optional<unsigned> busySeed = std::nullopt, CGFloat paper = 1) {
    const CGFloat side = std::ceil(CGFloat(std::max(picture->width(), picture->height())) * margin);
    const auto context = CGBitmapContextCreate(std::size_t(side), std::size_t(side));
    if (busySeed) {
        drawBusyGround(context, side, side, *busySeed);
    } else {
        CGContextSetRGBFillColor(context, paper, paper, paper, 1);
        CGContextFillRect(context, CGRectMake(0, 0, side, side));
    }
    CodePictures::place(context, std::size_t(side), picture, {side / 2, side / 2},
                        degrees * std::numbers::pi / 180);
    return CGBitmapContextCreateImage(context);
}

// The picture seen at a slant: its top edge `narrowing` times as wide as its bottom, as a label on a table
// photographed from above and in front. Sampled back from the slanted picture, nearest pixel first.
CGImageRef slanted(const CGImageRef& picture, double narrowing) {
    const double width = double(picture->width());
    const double height = double(picture->height());
    const std::size_t outWidth = std::size_t(width * 1.1);
    const std::size_t outHeight = std::size_t(height * 1.1);
    const auto source = picture->pixels();
    Pixels pixels(outWidth * outHeight, pixel(255, 255, 255));
    const double top = (double(outHeight) - height) / 2;
    for (std::size_t y = 0; y < outHeight; ++y) {
        const double v = (double(y) - top) / height;
        if (v < 0 || v >= 1)
            continue;
        // Rows nearer the top are further away, so narrower.
        const double depth = narrowing + (1 - narrowing) * v;
        const double sourceY = height * v;
        for (std::size_t x = 0; x < outWidth; ++x) {
            const double u = (double(x) - double(outWidth) / 2) / (width * depth) + 0.5;
            if (u < 0 || u >= 1)
                continue;
            pixels[y * outWidth + x] = source[std::size_t(std::min(sourceY, height - 1)) * picture->width() +
                                              std::size_t(u * width)];
        }
    }
    return CGImageCreate(outWidth, outHeight, std::move(pixels));
}

CGImageRef code(const Sample& sample, int moduleSize) {
    return CodePictures::code(sample.format, sample.text, moduleSize);
}

std::string nameOf(ZXing::BarcodeFormat format) {
    return ZXing::ToString(format);
}

void addCodePictures(std::vector<Picture>& set, const Sample& sample) {
    const auto add = [&](std::string what, std::string trouble, std::function<CGImageRef()> make) {
        set.push_back({nameOf(sample.format) + " " + what, std::move(trouble), sample.text, std::move(make)});
    };
    for (const int module : {1, 2, 3, 5, 8, 12})
        add("module " + std::to_string(module), "module " + std::to_string(module) + " px",
            [=] { return onCanvas(code(sample, module), 0, 1.1); });
    for (const int degrees : {10, 30, 45, 90, 135, 200, 290, 333})
        add("rotated " + std::to_string(degrees), "rotated",
            [=] { return onCanvas(code(sample, 4), degrees, 1.5); });
    add("busy ground", "busy ground", [=] { return onCanvas(code(sample, 4), 7, 1.7, 11u); });
    add("blurred 1", "blurred", [=] { return blurred(onCanvas(code(sample, 4), 0, 1.1), 1); });
    add("blurred 2", "blurred", [=] { return blurred(onCanvas(code(sample, 5), 0, 1.1), 2); });
    add("noisy", "noisy", [=] { return noisy(onCanvas(code(sample, 4), 3, 1.2), 45, 5u); });
    add("faint", "low contrast", [=] { return faint(onCanvas(code(sample, 4), 0, 1.1), 105, 160); });
    add("light on dark", "inverted", [=] { return inverted(onCanvas(code(sample, 4), 0, 1.3)); });
    add("slanted", "perspective", [=] { return slanted(code(sample, 5), 0.7); });
    add("two alike", "two labels alike", [=] {
        const auto label = code(sample, 3);
        const CGFloat width = CGFloat(label->width()), height = CGFloat(label->height());
        const auto context = CGBitmapContextCreate(std::size_t(width * 2.2), std::size_t(height * 1.2));
        CGContextSetRGBFillColor(context, 1, 1, 1, 1);
        CGContextFillRect(context, CGRectMake(0, 0, width * 2.2, height * 1.2));
        for (const CGFloat x : {width * 0.55, width * 1.65})
            CodePictures::place(context, std::size_t(height * 1.2), label, {x, height * 0.6});
        return CGBitmapContextCreateImage(context);
    });
    add("large print", "larger than the frame", [=] {
        const bool linear = CodePictures::isLinear(sample.format);
        return onCanvas(code(sample, linear ? 12 : 22), 0, 1.05);
    });
}

// Pictures without a code: what the camera sees between codes must stay silent.
void addPicturesWithoutCode(std::vector<Picture>& set) {
    const auto add = [&](std::string what, std::function<CGImageRef()> make) {
        set.push_back({"no code: " + what, "no code", std::nullopt, std::move(make)});
    };
    const auto white = [] { return onCanvas(CGImageCreate(8, 8, Pixels(64, pixel(255, 255, 255))), 0, 100); };
    add("white paper", white);
    add("busy ground",
        [] { return onCanvas(CGImageCreate(8, 8, Pixels(64, pixel(128, 128, 128))), 0, 120, 23u); });
    add("noise", [=] { return noisy(white(), 90, 9u); });
    add("random bars", [] {
        std::mt19937 random(3);
        std::uniform_int_distribution<int> bar(1, 9);
        const std::size_t width = 900, height = 300;
        Pixels pixels(width * height, pixel(255, 255, 255));
        bool dark = true;
        for (std::size_t x = 60; x < width - 60; dark = !dark) {
            const auto w = std::size_t(bar(random));
            for (std::size_t y = 40; y < height - 40; ++y)
                for (std::size_t i = x; i < std::min(x + w, width - 60); ++i)
                    pixels[y * width + i] = dark ? pixel(0, 0, 0) : pixel(255, 255, 255);
            x += w;
        }
        return CGImageCreate(width, height, std::move(pixels));
    });
    add("checkerboard", [] {
        const std::size_t side = 640;
        Pixels pixels(side * side);
        for (std::size_t y = 0; y < side; ++y)
            for (std::size_t x = 0; x < side; ++x)
                pixels[y * side + x] = ((x / 16 + y / 16) % 2) ? pixel(0, 0, 0) : pixel(255, 255, 255);
        return CGImageCreate(side, side, std::move(pixels));
    });
}

} // namespace

const std::vector<Sample>& samples() {
    using ZXing::BarcodeFormat;
    static const std::vector<Sample> all = {
        {BarcodeFormat::QRCode, "https://example.org/scan?id=4711"},
        {BarcodeFormat::Aztec, "AZTEC 12345 hello"},
        {BarcodeFormat::DataMatrix, "DM-2026-12-09"},
        {BarcodeFormat::PDF417, "PDF417 boarding pass 0042"},
        {BarcodeFormat::EAN8, "96385074"},
        {BarcodeFormat::EAN13, "5901234123457"},
        {BarcodeFormat::UPCE, "01234565"},
        {BarcodeFormat::Code39, "CODE39-TEST"},
        {BarcodeFormat::Code93, "CODE93 TEST"},
        {BarcodeFormat::Code128, "Code128 test!"},
        {BarcodeFormat::ITF, "00012345678905"},
    };
    return all;
}

std::vector<Picture> everyPicture() {
    std::vector<Picture> set;
    for (const auto& sample : samples())
        addCodePictures(set, sample);
    addPicturesWithoutCode(set);
    return set;
}

} // namespace HardPictures
