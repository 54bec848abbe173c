#pragma once

#include <cstddef>
#include <cstdint>
#include <memory>
#include <string_view>

namespace glyphmere::docengine {

// Whole-buffer DEFLATE for zip entries (raw streams, as an entry stores them), with libdeflate. Each thread
// keeps one compressor and one decompressor, so a run over many documents allocates their state once.

// The levels the parts we write are deflated at. Level 8 is the lowest at which libdeflate's output was
// never larger than zlib's level 6 on the restyled parts we measured (level 7 is a few bytes larger on
// many of them), and it is still several times faster than zlib through libzip. A part of kLargePart or
// more is deflated at level 7: on long, repetitive text level 8's longer searches take more than twice as
// long, and level 7 is then still as small as zlib's level 6.
inline constexpr int kDeflateLevel = 8;
inline constexpr int kLargePartDeflateLevel = 7;
inline constexpr std::size_t kLargePart = std::size_t{4} << 20;

// An entry's data deflated, with what its zip headers say about it.
struct DeflatedBytes {
    std::unique_ptr<char[]> data;
    std::size_t size = 0;
    std::uint64_t inflatedSize = 0;
    std::uint32_t crc = 0;
};

// Deflates bytes whole, at kLargePartDeflateLevel when they are kLargePart or more, else at kDeflateLevel.
DeflatedBytes deflateWhole(std::string_view bytes);

// The zip (CRC-32) checksum of bytes.
std::uint32_t crc32Of(std::string_view bytes);

// Inflates the raw DEFLATE stream compressed into out. True when the stream is sound, uses all of its bytes
// and fills exactly outSize bytes. Never writes past outSize, so it costs at most that much, whatever the
// stream holds.
bool inflateWhole(std::string_view compressed, char* out, std::size_t outSize);

} // namespace glyphmere::docengine
