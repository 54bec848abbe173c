#pragma once

#include "common/FileHandle.h"
#include "common/SafeReplace.h"

#include <string>

namespace glyphmere::common {

// Opens the new file of a replacement, written at path, and gives it its attributes, so that it can be
// flushed when the replacement is committed; SystemError on failure. Each system has its own.
FileHandle settleWrittenFile(const std::string& path, const NewFileAttributes& attributes);

} // namespace glyphmere::common
