#include "docengine/ooxml/DeflateCodec.h"

#include "common/LendingPool.h"

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
using Decompressor = std::unique_ptr<libdeflate_decompressor, DecompressorFree>;
using CompressorPool = common::LendingPool<Compressor>;

// Made on first use: a compressor takes about half a megabyte of tables, so they are kept for the next part.
libdeflate_compressor& compressorAt(Compressor& compressor, int level)
{
    if (!compressor) {
        compressor.reset(libdeflate_alloc_compressor(level));
        if (!compressor)
            throw std::bad_alloc();
    }
    return *compressor;
}

CompressorPool& compressorPoolFor(std::size_t size)
{
    static CompressorPool compressors;
    static CompressorPool largePartCompressors;
    return size >= kLargePart ? largePartCompressors : compressors;
}

int deflateLevelFor(std::size_t size) { return size >= kLargePart ? kLargePartDeflateLevel : kDeflateLevel; }

libdeflate_decompressor& decompressorIn(Decompressor& decompressor)
{
    if (!decompressor) {
        decompressor.reset(libdeflate_alloc_decompressor());
        if (!decompressor)
            throw std::bad_alloc();
    }
    return *decompressor;
}

common::LendingPool<Decompressor>& decompressorPool()
{
    static common::LendingPool<Decompressor> decompressors;
    return decompressors;
}

} // namespace

DeflatedBytes deflateWhole(std::string_view bytes)
{
    const CompressorPool::Loan loan = compressorPoolFor(bytes.size()).borrow();
    libdeflate_compressor& compressor = compressorAt(*loan, deflateLevelFor(bytes.size()));
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
    const auto loan = decompressorPool().borrow();
    const libdeflate_result result = libdeflate_deflate_decompress_ex(
        &decompressorIn(*loan), compressed.data(), compressed.size(), out, outSize, &used, &produced);
    return result == LIBDEFLATE_SUCCESS && produced == outSize && used == compressed.size();
}

} // namespace glyphmere::docengine
