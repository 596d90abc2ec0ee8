#include "CoreGraphics/CGBands.h"
#include "CoreGraphics/CGImage.h"
#include "CoreGraphics/libdeflate/ZlibCompress.h"

#include <png.h>

#include <algorithm>
#include <atomic>
#include <csetjmp>

// Photos are attached as PNG while the person waits. Every row is filtered with SUB (on all cores), the whole
// filtered image is compressed as one zlib stream by libdeflate, and libpng writes the container around it:
// signature, header, the stream as IDAT chunks and the end. libpng's own row writer would run zlib over the
// rows instead, several times slower for a larger file.
namespace {

constexpr png_byte subFilter = 1;
// IDAT chunks of at most this many bytes; a decoder takes any split of the stream.
constexpr std::size_t chunkBytes = 1u << 20;

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

// One stored row as a filtered PNG row: the filter type, then each sample minus the same sample of the pixel
// before. RGB for an opaque image, straight RGBA otherwise.
template <bool opaque> void filterRow(std::span<const std::uint32_t> pixels, std::uint8_t* out) {
    *out++ = subFilter;
    std::uint8_t before[4] = {0, 0, 0, 0};
    for (const std::uint32_t pixel : pixels) {
        std::uint8_t samples[4];
        if constexpr (opaque) {
            samples[0] = std::uint8_t(pixel >> 16), samples[1] = std::uint8_t(pixel >> 8);
            samples[2] = std::uint8_t(pixel);
        } else {
            const std::uint32_t alpha = pixel >> 24;
            samples[0] = unpremultiplied((pixel >> 16) & 0xff, alpha);
            samples[1] = unpremultiplied((pixel >> 8) & 0xff, alpha);
            samples[2] = unpremultiplied(pixel & 0xff, alpha), samples[3] = std::uint8_t(alpha);
        }
        constexpr std::size_t count = opaque ? 3 : 4;
        for (std::size_t k = 0; k < count; ++k) {
            *out++ = std::uint8_t(samples[k] - before[k]);
            before[k] = samples[k];
        }
    }
}

bool isOpaque(const CGImage& image) {
    std::atomic<bool> opaque = true;
    CGBands::run(image.height(), image.width(), [&](std::size_t begin, std::size_t end) {
        const auto rows = image.pixels().subspan(begin * image.width(), (end - begin) * image.width());
        if (!std::all_of(rows.begin(), rows.end(), [](std::uint32_t p) { return p >> 24 == 0xff; }))
            opaque.store(false, std::memory_order_relaxed);
    });
    return opaque;
}

template <bool opaque> CGByteBuffer filteredRows(const CGImage& image) {
    const std::size_t rowBytes = 1 + image.width() * (opaque ? 3 : 4);
    CGByteBuffer rows(rowBytes * image.height());
    CGBands::run(image.height(), image.width(), [&](std::size_t begin, std::size_t end) {
        for (std::size_t y = begin; y < end; ++y)
            filterRow<opaque>(image.pixels().subspan(y * image.width(), image.width()),
                              rows.data() + y * rowBytes);
    });
    return rows;
}

// libpng reports errors by jumping back here, so nothing between the setjmp and the end may need a
// destructor: the buffers live in the caller.
bool writeContainer(Writer& writer, std::size_t width, std::size_t height, bool opaque,
                    std::span<const std::uint8_t> stream, std::vector<std::uint8_t>& bytes) {
    if (setjmp(png_jmpbuf(writer.png)))
        return false;
    png_set_write_fn(writer.png, &bytes, appendToVector, flushNothing);
    png_set_IHDR(writer.png, writer.info, png_uint_32(width), png_uint_32(height), 8,
                 opaque ? PNG_COLOR_TYPE_RGB : PNG_COLOR_TYPE_RGB_ALPHA, PNG_INTERLACE_NONE,
                 PNG_COMPRESSION_TYPE_DEFAULT, PNG_FILTER_TYPE_DEFAULT);
    png_write_info(writer.png, writer.info);
    for (std::size_t offset = 0; offset < stream.size(); offset += chunkBytes) {
        const auto chunk = stream.subspan(offset, std::min(chunkBytes, stream.size() - offset));
        png_write_chunk(writer.png, reinterpret_cast<png_const_bytep>("IDAT"), chunk.data(), chunk.size());
    }
    // png_write_end refuses to finish a file whose IDAT it did not compress itself.
    png_write_chunk(writer.png, reinterpret_cast<png_const_bytep>("IEND"), nullptr, 0);
    return true;
}

} // namespace

std::vector<std::uint8_t> CGImagePNGRepresentation(CGImageRef image) {
    if (!image)
        return {};
    const bool opaque = isOpaque(*image);
    const std::size_t width = image->width(), height = image->height();
    // Once its rows are filtered the image is let go, and the filtered rows once compressed: a caller that
    // hands its only reference over holds at most the filtered rows and the stream beside the image.
    const auto stream = [&] {
        const auto rows = opaque ? filteredRows<true>(*image) : filteredRows<false>(*image);
        image.reset();
        return zlibCompress(rows);
    }();
    Writer writer;
    if (!stream || !writer.info)
        return {};
    constexpr std::size_t signatureAndHeader = 8 + 25, chunkFrame = 12;
    std::vector<std::uint8_t> bytes;
    bytes.reserve(signatureAndHeader + stream->size() + (stream->size() / chunkBytes + 2) * chunkFrame);
    if (!writeContainer(writer, width, height, opaque, *stream, bytes))
        return {};
    return bytes;
}
