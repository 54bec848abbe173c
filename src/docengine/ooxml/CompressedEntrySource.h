#pragma once

#include "docengine/ooxml/DeflateCodec.h"

#include <zip.h>

#include <ctime>

namespace glyphmere::docengine {

// A libzip source of data deflated already: its stat gives the method, both sizes and the checksum, so
// zip_close copies the bytes as they are, without inflating, deflating or checksumming them again. The
// bytes stay the caller's and must outlive the archive's zip_close. Null when libzip has no memory (the
// archive's error says so).
zip_source_t* compressedEntrySource(zip_t* archive, const DeflatedBytes& deflated, std::time_t modified);

} // namespace glyphmere::docengine
