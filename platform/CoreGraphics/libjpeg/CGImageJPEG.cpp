#include "CoreGraphics/CGImage.h"
#include "CoreGraphics/libjpeg/JPEGCodec.h"

#include <jpeglib.h>

#include <csetjmp>
#include <cstdio>

namespace {

struct ErrorManager {
    jpeg_error_mgr base;
    std::jmp_buf escape;
};

[[noreturn]] void escapeOnError(j_common_ptr info) {
    std::longjmp(reinterpret_cast<ErrorManager*>(info->err)->escape, 1);
}

void ignoreMessage(j_common_ptr) {}

// libjpeg only warns about a file that ends early or holds corrupt data, and fills in grey: such a file is
// refused like any other broken one, at the first warning.
void escapeOnWarning(j_common_ptr info, int level) {
    if (level < 0)
        escapeOnError(info);
}

jpeg_error_mgr* quietErrors(ErrorManager& errors) {
    jpeg_error_mgr* manager = jpeg_std_error(&errors.base);
    errors.base.error_exit = escapeOnError;
    errors.base.emit_message = escapeOnWarning;
    errors.base.output_message = ignoreMessage;
    return manager;
}

struct Decompressor {
    jpeg_decompress_struct info{};
    ErrorManager errors{};
    Decompressor() {
        info.err = quietErrors(errors);
        jpeg_create_decompress(&info);
    }
    ~Decompressor() { jpeg_destroy_decompress(&info); }
    Decompressor(const Decompressor&) = delete;
    Decompressor& operator=(const Decompressor&) = delete;
};

struct Compressor {
    jpeg_compress_struct info{};
    ErrorManager errors{};
    unsigned char* output = nullptr;
    unsigned long outputSize = 0;
    Compressor() {
        info.err = quietErrors(errors);
        jpeg_create_compress(&info);
    }
    ~Compressor() {
        jpeg_destroy_compress(&info);
        std::free(output);
    }
    Compressor(const Compressor&) = delete;
    Compressor& operator=(const Compressor&) = delete;
};

// libjpeg-turbo writes B, G, R, A bytes with opaque alpha: CGImage's own layout, so rows decode in place.
constexpr J_COLOR_SPACE nativeLayout = JCS_EXT_BGRA;

// libjpeg reports errors by jumping back here, so nothing between the setjmp and the end may need a
// destructor: the pixels live in the caller.
bool decode(Decompressor& d, std::span<const std::uint8_t> bytes, CGPixelBuffer& pixels) {
    if (setjmp(d.errors.escape))
        return false;
    jpeg_mem_src(&d.info, bytes.data(), static_cast<unsigned long>(bytes.size()));
    if (jpeg_read_header(&d.info, TRUE) != JPEG_HEADER_OK)
        return false;
    // The size is checked before anything as large as the picture is allocated.
    if (!CGImage::isWithinLimits(d.info.image_width, d.info.image_height))
        return false;
    d.info.out_color_space = nativeLayout;
    jpeg_start_decompress(&d.info);
    const std::size_t width = d.info.output_width;
    pixels.resize(width * d.info.output_height);
    while (d.info.output_scanline < d.info.output_height) {
        JSAMPROW rows[] = {reinterpret_cast<JSAMPROW>(pixels.data() + d.info.output_scanline * width)};
        jpeg_read_scanlines(&d.info, rows, 1);
    }
    jpeg_finish_decompress(&d.info);
    return true;
}

// Opaque photos only: alpha is dropped, premultiplied colour kept as it is.
bool encode(Compressor& c, const CGImage& image, int quality, std::span<const std::uint8_t> exif) {
    if (setjmp(c.errors.escape))
        return false;
    jpeg_mem_dest(&c.info, &c.output, &c.outputSize);
    c.info.image_width = JDIMENSION(image.width());
    c.info.image_height = JDIMENSION(image.height());
    c.info.input_components = 4;
    c.info.in_color_space = nativeLayout;
    jpeg_set_defaults(&c.info);
    jpeg_set_quality(&c.info, quality, TRUE);
    jpeg_start_compress(&c.info, TRUE);
    if (!exif.empty())
        jpeg_write_marker(&c.info, JPEG_APP0 + 1, exif.data(), unsigned(exif.size()));
    const auto pixels = image.pixels();
    while (c.info.next_scanline < c.info.image_height) {
        JSAMPROW rows[] = {reinterpret_cast<JSAMPROW>(
            const_cast<std::uint32_t*>(pixels.data() + c.info.next_scanline * image.width()))};
        jpeg_write_scanlines(&c.info, rows, 1);
    }
    jpeg_finish_compress(&c.info);
    return true;
}

} // namespace

CGImageRef CGImageCreateWithJPEGData(std::span<const std::uint8_t> bytes) {
    if (bytes.empty())
        return nullptr;
    Decompressor decompressor;
    // Every row is written before the image is made: a decoding error drops the buffer instead.
    CGPixelBuffer pixels{CGPixelAllocator<std::uint32_t>(true)};
    if (!decode(decompressor, bytes, pixels))
        return nullptr;
    return CGImageCreateWithPixelBuffer(decompressor.info.output_width, decompressor.info.output_height,
                                        std::move(pixels));
}

std::vector<std::uint8_t> JPEGCodec::encode(const CGImageRef& image, int quality,
                                            std::span<const std::uint8_t> exif) {
    // A marker holds at most 65533 bytes of payload.
    if (!image || exif.size() > 65533)
        return {};
    Compressor compressor;
    if (!::encode(compressor, *image, quality, exif))
        return {};
    return std::vector<std::uint8_t>(compressor.output, compressor.output + compressor.outputSize);
}
