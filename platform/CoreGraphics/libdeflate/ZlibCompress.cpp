#include "CoreGraphics/libdeflate/ZlibCompress.h"

#include <libdeflate.h>

#include <memory>

namespace {

constexpr int compressionLevel = 1;

struct CompressorDeleter {
    void operator()(libdeflate_compressor* compressor) const { libdeflate_free_compressor(compressor); }
};

} // namespace

std::optional<CGByteBuffer> zlibCompress(std::span<const std::uint8_t> input) {
    const std::unique_ptr<libdeflate_compressor, CompressorDeleter> compressor(
        libdeflate_alloc_compressor(compressionLevel));
    if (!compressor)
        return std::nullopt;
    // The buffer's pages are touched only as far as the output reaches.
    CGByteBuffer output(libdeflate_zlib_compress_bound(compressor.get(), input.size()));
    const std::size_t length =
        libdeflate_zlib_compress(compressor.get(), input.data(), input.size(), output.data(), output.size());
    if (length == 0)
        return std::nullopt;
    output.resize(length);
    return output;
}
