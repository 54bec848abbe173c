#pragma once

#include "common/FileHandle.h"

#include <zip.h>

namespace glyphmere::docengine {

// A libzip source that writes a new archive straight into the file open for writing (the handle stays
// the caller's and must outlive the source), from its start, with its writes gathered
// into large ones. It stands for an empty file, so zip_open_from_source(..., ZIP_TRUNCATE, ...) makes a
// new archive on it. Unlike libzip's file sources it makes no temporary file of its own: zip_close writes
// into our file, and a failed one leaves that file empty. Null when libzip has no memory (error says so).
zip_source_t* descriptorTarget(const common::FileHandle& file, zip_error_t* error);

} // namespace glyphmere::docengine
