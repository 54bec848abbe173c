#pragma once

#include "docengine/binary/Fib.h"

#include <cstddef>
#include <cstdint>
#include <string_view>
#include <utility>
#include <vector>

namespace glyphmere::docengine {

// A half-open byte range of a stream.
struct ByteExtent {
    std::uint64_t start = 0;
    std::uint64_t end = 0;
};

// Where a stream's tail starts that may be written over: at the first of the `replaced` extents (structures
// a save writes anew and nothing else points at) that starts at or after `keptEnd` (the end of everything
// else the stream holds), when every byte from there to the stream's end lies in one of them or is zero.
// Otherwise the stream's size: nothing may be written over, new bytes go after it.
std::uint64_t rewritableTailStart(std::string_view stream, std::vector<ByteExtent> replaced, std::uint64_t keptEnd);

// A Word document's two streams as they were read, with the FIBs in the WordDocument stream.
struct WordStreams {
    std::string_view wordDocument;
    std::string_view table;
    std::vector<std::pair<std::size_t, Fib>> fibs; // offset and FIB: the document's, then its AutoText's
};

// Where a save puts the restyle's character property pages, bin table and font table.
struct RestyleTails {
    std::uint32_t firstPage = 0;    // of the new property pages, in the WordDocument stream
    std::uint32_t tableOffset = 0;  // of the new bin table, in the table stream
    bool rewritesFontTable = false; // the font table lies past tableOffset, so it is written again after it
};

// A save appends its structures past the ends of both streams. When both streams already end with the
// structures a save replaces (the character property pages, and the bin table with or without the font
// table), as a restyle leaves them, it writes over those instead, so restyling a document again does not
// grow it. A file that another program saved keeps every byte where it was.
RestyleTails findRestyleTails(const WordStreams& streams);

} // namespace glyphmere::docengine
