#include "docengine/ooxml/DeflateCodec.h"

#include <libdeflate.h>

#include <new>

namespace glyphmere::docengine {

namespace {

struct CompressorFree {
    void operator()(libdeflate_compressor* compressor) const { libdeflate_free_compressor(compressor); }
};
struct DecompressorFree {
    void operator()(libdeflate_decompressor* decompressor) const { libdeflate_free_decompressor(decompressor); }
};

using Compressor = std::unique_ptr<libdeflate_compressor, CompressorFree>;

libdeflate_compressor& compressorAt(Compressor& compressor, int level)
{
    if (!compressor) {
        compressor.reset(libdeflate_alloc_compressor(level));
        if (!compressor)
            throw std::bad_alloc();
    }
    return *compressor;
}

libdeflate_compressor& threadCompressorFor(std::size_t size)
{
    thread_local Compressor compressor;
    thread_local Compressor largePartCompressor;
    return size >= kLargePart ? compressorAt(largePartCompressor, kLargePartDeflateLevel)
                              : compressorAt(compressor, kDeflateLevel);
}

libdeflate_decompressor& threadDecompressor()
{
    thread_local std::unique_ptr<libdeflate_decompressor, DecompressorFree> decompressor;
    if (!decompressor) {
        decompressor.reset(libdeflate_alloc_decompressor());
        if (!decompressor)
            throw std::bad_alloc();
    }
    return *decompressor;
}

} // namespace

DeflatedBytes deflateWhole(std::string_view bytes)
{
    libdeflate_compressor& compressor = threadCompressorFor(bytes.size());
    const std::size_t bound = libdeflate_deflate_compress_bound(&compressor, bytes.size());
    // Left uninitialised: only the pages the output reaches are ever touched.
    DeflatedBytes deflated{std::make_unique_for_overwrite<char[]>(bound), 0, bytes.size(), crc32Of(bytes)};
    deflated.size = libdeflate_deflate_compress(&compressor, bytes.data(), bytes.size(), deflated.data.get(), bound);
    // The bound is what libdeflate says the output can come to, so it always fits.
    return deflated;
}

std::uint32_t crc32Of(std::string_view bytes) { return libdeflate_crc32(0, bytes.data(), bytes.size()); }

bool inflateWhole(std::string_view compressed, char* out, std::size_t outSize)
{
    std::size_t used = 0;
    std::size_t produced = 0;
    const libdeflate_result result = libdeflate_deflate_decompress_ex(
        &threadDecompressor(), compressed.data(), compressed.size(), out, outSize, &used, &produced);
    return result == LIBDEFLATE_SUCCESS && produced == outSize && used == compressed.size();
}

} // namespace glyphmere::docengine
