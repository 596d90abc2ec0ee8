// Draws the scanner's images and writes its beep, our own artwork made at build time:
//   orvane-scanner-resources SECTION_BUNDLE_DIR IMAGES_DIR
// The beep goes into the section's bundle; the images into the folder whose files the application finds by
// name (the main bundle), as "cor1" to "cor4" (corner marks, 16 points) and "QRCodeScanLine", each at
// scales 1 and 2.
#include <cairo.h>

#include <cmath>
#include <cstdint>
#include <cstdio>
#include <filesystem>
#include <fstream>
#include <functional>
#include <numbers>
#include <string>
#include <vector>

namespace {

constexpr double markRed = 0.1, markGreen = 0.85, markBlue = 0.35;

using Drawing = std::function<void(cairo_t*, double width, double height)>;

bool writePNG(const std::filesystem::path& path, int width, int height, int scale, const Drawing& draw) {
    cairo_surface_t* surface = cairo_image_surface_create(CAIRO_FORMAT_ARGB32, width * scale, height * scale);
    cairo_t* cairo = cairo_create(surface);
    cairo_scale(cairo, scale, scale);
    draw(cairo, width, height);
    cairo_destroy(cairo);
    const bool written = cairo_surface_write_to_png(surface, path.c_str()) == CAIRO_STATUS_SUCCESS;
    cairo_surface_destroy(surface);
    return written;
}

bool writeBothScales(const std::filesystem::path& folder, const std::string& name, int width, int height,
                     const Drawing& draw) {
    return writePNG(folder / (name + ".png"), width, height, 1, draw) &&
           writePNG(folder / (name + "@2x.png"), width, height, 2, draw);
}

// An L along the corner's two edges; `flipX` and `flipY` say which corner of the box it marks.
Drawing cornerMark(bool flipX, bool flipY) {
    return [flipX, flipY](cairo_t* cairo, double width, double height) {
        cairo_translate(cairo, flipX ? width : 0, flipY ? height : 0);
        cairo_scale(cairo, flipX ? -1 : 1, flipY ? -1 : 1);
        cairo_set_source_rgb(cairo, markRed, markGreen, markBlue);
        cairo_rectangle(cairo, 0, 0, width, 3);
        cairo_rectangle(cairo, 0, 3, 3, height - 3);
        cairo_fill(cairo);
    };
}

// A bright line across the middle with a glow that fades above and below it and towards both ends.
void scanLine(cairo_t* cairo, double width, double height) {
    cairo_pattern_t* glow = cairo_pattern_create_linear(0, 0, 0, height);
    cairo_pattern_add_color_stop_rgba(glow, 0, markRed, markGreen, markBlue, 0);
    cairo_pattern_add_color_stop_rgba(glow, 0.5, markRed, markGreen, markBlue, 0.9);
    cairo_pattern_add_color_stop_rgba(glow, 1, markRed, markGreen, markBlue, 0);
    cairo_pattern_t* ends = cairo_pattern_create_linear(0, 0, width, 0);
    cairo_pattern_add_color_stop_rgba(ends, 0, 0, 0, 0, 0);
    cairo_pattern_add_color_stop_rgba(ends, 0.2, 0, 0, 0, 1);
    cairo_pattern_add_color_stop_rgba(ends, 0.8, 0, 0, 0, 1);
    cairo_pattern_add_color_stop_rgba(ends, 1, 0, 0, 0, 0);
    cairo_set_source(cairo, glow);
    cairo_mask(cairo, ends);
    cairo_pattern_destroy(ends);
    cairo_pattern_destroy(glow);
}

void put(std::vector<std::uint8_t>& bytes, std::uint32_t value, int size) {
    for (int i = 0; i < size; ++i)
        bytes.push_back(std::uint8_t(value >> (8 * i)));
}

void putTag(std::vector<std::uint8_t>& bytes, const char* tag) {
    bytes.insert(bytes.end(), tag, tag + 4);
}

// A short two-tone beep: 16-bit mono PCM at 44.1 kHz, faded in and out so that it does not click.
std::vector<std::uint8_t> beep() {
    constexpr std::uint32_t rate = 44100;
    constexpr std::uint32_t frames = rate * 15 / 100;
    constexpr double fade = rate * 0.01;
    std::vector<std::uint8_t> samples;
    for (std::uint32_t i = 0; i < frames; ++i) {
        const double t = double(i) / rate;
        const double envelope = std::min({1.0, i / fade, (frames - i) / fade});
        const double tone =
            std::sin(2 * std::numbers::pi * 1800 * t) * 0.6 + std::sin(2 * std::numbers::pi * 2700 * t) * 0.2;
        put(samples, std::uint32_t(std::int32_t(std::lround(tone * envelope * 32767 * 0.8))) & 0xffff, 2);
    }
    std::vector<std::uint8_t> bytes;
    putTag(bytes, "RIFF");
    put(bytes, std::uint32_t(36 + samples.size()), 4);
    putTag(bytes, "WAVE");
    putTag(bytes, "fmt ");
    put(bytes, 16, 4);
    put(bytes, 1, 2);
    put(bytes, 1, 2);
    put(bytes, rate, 4);
    put(bytes, rate * 2, 4);
    put(bytes, 2, 2);
    put(bytes, 16, 2);
    putTag(bytes, "data");
    put(bytes, std::uint32_t(samples.size()), 4);
    bytes.insert(bytes.end(), samples.begin(), samples.end());
    return bytes;
}

} // namespace

int main(int argc, char** argv) {
    if (argc != 3) {
        std::fprintf(stderr, "usage: orvane-scanner-resources SECTION_BUNDLE_DIR IMAGES_DIR\n");
        return 2;
    }
    const std::filesystem::path bundle = argv[1];
    const std::filesystem::path images = argv[2];
    std::filesystem::create_directories(bundle);
    std::filesystem::create_directories(images);
    const auto sound = beep();
    std::ofstream(bundle / "beep.wav", std::ios::binary)
        .write(reinterpret_cast<const char*>(sound.data()), std::streamsize(sound.size()));
    const bool drawn = writeBothScales(images, "cor1", 16, 16, cornerMark(false, false)) &&
                       writeBothScales(images, "cor2", 16, 16, cornerMark(true, false)) &&
                       writeBothScales(images, "cor3", 16, 16, cornerMark(false, true)) &&
                       writeBothScales(images, "cor4", 16, 16, cornerMark(true, true)) &&
                       writeBothScales(images, "QRCodeScanLine", 320, 12, scanLine);
    if (!drawn) {
        std::fprintf(stderr, "orvane-scanner-resources: cannot write the images\n");
        return 1;
    }
    return 0;
}
