#pragma once

#include <zip.h>

namespace glyphmere::docengine {

// Entries at most this large (inflated) are checked whole in memory before a save; larger ones (pictures,
// mostly) are streamed, so that checking one never holds it whole.
inline constexpr zip_uint64_t kLargestWholeCheck = zip_uint64_t{8} << 20;

// Inflates the entry at index whole from its stored bytes, with libdeflate, into out, which takes exactly
// the size status claims, and checks its CRC. False when the entry is anything but plain (another method,
// sizes that no DEFLATE stream has, damaged data, data that runs past its size or fails its CRC): libzip's
// streaming read then decides it and gives the reason, as it always has. Costs at most the claimed size in
// output and a bounded multiple of it in input, whatever the entry holds.
bool inflateEntryWhole(zip_t* archive, zip_uint64_t index, const zip_stat_t& status, char* out);

// The same for checking an entry of at most kLargestWholeCheck bytes: the data goes to a buffer this
// thread keeps, and is dropped.
bool checkEntryWhole(zip_t* archive, zip_uint64_t index, const zip_stat_t& status);

} // namespace glyphmere::docengine
