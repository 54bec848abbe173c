#pragma once

#include "common/FileHandle.h"

#include <zip.h>

namespace glyphmere::docengine {

// A libzip source that reads the file through its own handle (a duplicate the source owns, so the
// caller's stays the caller's), by offset, as the file was when the source was made: libzip's own file
// sources take a descriptor or a narrow path, neither of which the engine hands around. Null when libzip
// has no memory (error says so); SystemError when the file cannot be duplicated or examined.
zip_source_t* handleSource(const common::FileHandle& file, zip_error_t* error);

} // namespace glyphmere::docengine
