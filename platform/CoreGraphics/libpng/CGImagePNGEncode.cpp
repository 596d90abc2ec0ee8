#include "CoreGraphics/CGImage.h"

#include <png.h>

#include <algorithm>
#include <csetjmp>

namespace {

// Photos are attached as PNG while the person waits: the fastest zlib level with the SUB filter encodes a
// photo about three times faster than libpng's defaults for a few more bytes.
constexpr int compressionLevel = 1;

struct Writer {
    png_structp png = nullptr;
    png_infop info = nullptr;
    Writer() {
        png = png_create_write_struct(PNG_LIBPNG_VER_STRING, nullptr, nullptr, nullptr);
        if (png)
            info = png_create_info_struct(png);
    }
    ~Writer() { png_destroy_write_struct(&png, &info); }
    Writer(const Writer&) = delete;
    Writer& operator=(const Writer&) = delete;
};

void appendToVector(png_structp png, png_bytep data, png_size_t length) {
    auto& bytes = *static_cast<std::vector<std::uint8_t>*>(png_get_io_ptr(png));
    bytes.insert(bytes.end(), data, data + length);
}

void flushNothing(png_structp) {}

std::uint8_t unpremultiplied(std::uint32_t component, std::uint32_t alpha) {
    return alpha == 0 ? 0
                      : static_cast<std::uint8_t>(
                            std::min<std::uint32_t>(255, (component * 255 + alpha / 2) / alpha));
}

// One stored row as PNG samples: RGB for an opaque image, straight RGBA otherwise.
void convertRow(std::span<const std::uint32_t> pixels, bool opaque, std::vector<png_byte>& row) {
    png_byte* out = row.data();
    for (const std::uint32_t pixel : pixels) {
        const std::uint32_t alpha = pixel >> 24;
        if (opaque) {
            *out++ = png_byte(pixel >> 16);
            *out++ = png_byte(pixel >> 8);
            *out++ = png_byte(pixel);
        } else {
            *out++ = unpremultiplied((pixel >> 16) & 0xff, alpha);
            *out++ = unpremultiplied((pixel >> 8) & 0xff, alpha);
            *out++ = unpremultiplied(pixel & 0xff, alpha);
            *out++ = png_byte(alpha);
        }
    }
}

// libpng reports errors by jumping back here, so nothing between the setjmp and the end may need a
// destructor: the buffers live in the caller.
bool encode(Writer& writer, const CGImage& image, bool opaque, std::vector<png_byte>& row,
            std::vector<std::uint8_t>& bytes) {
    if (setjmp(png_jmpbuf(writer.png)))
        return false;
    png_set_write_fn(writer.png, &bytes, appendToVector, flushNothing);
    png_set_IHDR(writer.png, writer.info, png_uint_32(image.width()), png_uint_32(image.height()), 8,
                 opaque ? PNG_COLOR_TYPE_RGB : PNG_COLOR_TYPE_RGB_ALPHA, PNG_INTERLACE_NONE,
                 PNG_COMPRESSION_TYPE_DEFAULT, PNG_FILTER_TYPE_DEFAULT);
    png_set_compression_level(writer.png, compressionLevel);
    png_set_filter(writer.png, PNG_FILTER_TYPE_BASE, PNG_FILTER_SUB);
    png_write_info(writer.png, writer.info);
    const auto pixels = image.pixels();
    for (std::size_t y = 0; y < image.height(); ++y) {
        convertRow(pixels.subspan(y * image.width(), image.width()), opaque, row);
        png_write_row(writer.png, row.data());
    }
    png_write_end(writer.png, writer.info);
    return true;
}

} // namespace

std::vector<std::uint8_t> CGImagePNGRepresentation(const CGImageRef& image) {
    if (!image)
        return {};
    const auto pixels = image->pixels();
    const bool opaque =
        std::all_of(pixels.begin(), pixels.end(), [](std::uint32_t p) { return p >> 24 == 0xff; });
    Writer writer;
    if (!writer.info)
        return {};
    std::vector<png_byte> row(image->width() * (opaque ? 3 : 4));
    std::vector<std::uint8_t> bytes;
    // A photo's PNG is mostly a little smaller than its raw samples: one allocation for most of them.
    bytes.reserve(row.size() * image->height() / 2);
    if (!encode(writer, *image, opaque, row, bytes))
        return {};
    bytes.shrink_to_fit();
    return bytes;
}
