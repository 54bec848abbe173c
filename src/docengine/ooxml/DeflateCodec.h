#pragma once

#include <cstddef>
#include <cstdint>
#include <memory>
#include <string_view>

namespace glyphmere::docengine {

// Whole-buffer DEFLATE for zip entries (raw streams, as an entry stores them), with libdeflate. Each thread
// keeps one compressor and one decompressor, so a run over many documents allocates their state once.

// The level the parts we write are deflated at: the lowest at which libdeflate's output is no larger than
// zlib's default level 6 (what libzip writes) on the parts a restyle changes. Level 7 is up to a few
// bytes larger on many small headers and footers; level 8 never was, and is still about twice as fast as
// zlib level 6.
inline constexpr int kDeflateLevel = 8;

// An entry's data deflated, with what its zip headers say about it.
struct DeflatedBytes {
    std::unique_ptr<char[]> data;
    std::size_t size = 0;
    std::uint64_t inflatedSize = 0;
    std::uint32_t crc = 0;
};

DeflatedBytes deflateWhole(std::string_view bytes);

// The zip (CRC-32) checksum of bytes.
std::uint32_t crc32Of(std::string_view bytes);

// Inflates the raw DEFLATE stream compressed into out. True when the stream is sound, uses all of its bytes
// and fills exactly outSize bytes. Never writes past outSize, so it costs at most that much, whatever the
// stream holds.
bool inflateWhole(std::string_view compressed, char* out, std::size_t outSize);

} // namespace glyphmere::docengine
