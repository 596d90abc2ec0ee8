#pragma once

#include "CoreGraphics/CGImage.h"

#include <cstdio>
#include <cstdlib>
#include <jpeglib.h>
#include <vector>

// A JPEG of the image made with libjpeg, in colour or in grey.
inline std::vector<std::uint8_t> jpegOf(const CGImage& image, int quality = 90, bool grey = false) {
    jpeg_compress_struct info{};
    jpeg_error_mgr errors{};
    info.err = jpeg_std_error(&errors);
    jpeg_create_compress(&info);
    unsigned char* buffer = nullptr;
    unsigned long size = 0;
    jpeg_mem_dest(&info, &buffer, &size);
    info.image_width = JDIMENSION(image.width());
    info.image_height = JDIMENSION(image.height());
    info.input_components = grey ? 1 : 3;
    info.in_color_space = grey ? JCS_GRAYSCALE : JCS_RGB;
    jpeg_set_defaults(&info);
    jpeg_set_quality(&info, quality, TRUE);
    jpeg_start_compress(&info, TRUE);
    std::vector<JSAMPLE> row(image.width() * std::size_t(info.input_components));
    while (info.next_scanline < info.image_height) {
        for (std::size_t x = 0; x < image.width(); ++x) {
            const CGImage::RGBA p = image.pixelAt(x, info.next_scanline);
            if (grey) {
                row[x] = p.green;
                continue;
            }
            row[x * 3] = p.red;
            row[x * 3 + 1] = p.green;
            row[x * 3 + 2] = p.blue;
        }
        JSAMPROW rows[] = {row.data()};
        jpeg_write_scanlines(&info, rows, 1);
    }
    jpeg_finish_compress(&info);
    jpeg_destroy_compress(&info);
    std::vector<std::uint8_t> bytes(buffer, buffer + size);
    std::free(buffer);
    return bytes;
}
