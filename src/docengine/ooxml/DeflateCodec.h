#pragma once

#include <cstddef>
#include <cstdint>
#include <memory>
#include <string_view>

namespace glyphmere::docengine {

// Whole-buffer DEFLATE for zip entries (raw streams, as an entry stores them), with libdeflate. Each thread
// keeps one compressor and one decompressor, so a run over many documents allocates their state once.

// The levels the parts we write are deflated at, chosen so that libdeflate's output is never larger than
// zlib's level 6 on the parts a restyle changes. Level 8 is the lowest that holds from a few KiB on (level 7
// is a few bytes larger on many parts) and is still about twice as fast as zlib level 6. Below that,
// headers and footers of about 1 KiB come out a byte or three larger now and then at any level up to 9;
// libdeflate's near-optimal level 10 never does, and parts that small cost little even so.
inline constexpr int kDeflateLevel = 8;
inline constexpr int kSmallPartDeflateLevel = 10;
inline constexpr std::size_t kSmallPart = 16 * 1024;

// An entry's data deflated, with what its zip headers say about it.
struct DeflatedBytes {
    std::unique_ptr<char[]> data;
    std::size_t size = 0;
    std::uint64_t inflatedSize = 0;
    std::uint32_t crc = 0;
};

// Deflates bytes whole, at kSmallPartDeflateLevel when they are fewer than kSmallPart, else at kDeflateLevel.
DeflatedBytes deflateWhole(std::string_view bytes);

// The zip (CRC-32) checksum of bytes.
std::uint32_t crc32Of(std::string_view bytes);

// Inflates the raw DEFLATE stream compressed into out. True when the stream is sound, uses all of its bytes
// and fills exactly outSize bytes. Never writes past outSize, so it costs at most that much, whatever the
// stream holds.
bool inflateWhole(std::string_view compressed, char* out, std::size_t outSize);

} // namespace glyphmere::docengine
