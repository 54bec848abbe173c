#pragma once

#include <sys/types.h>

#include <string>

namespace glyphmere::batch {

// Writes bytes to a new file beside path, flushes it to disk, gives it the permission bits mode and
// renames it over path in one step, so path holds either what it held before or all of bytes. Throws
// std::runtime_error with the reason ("no space left on the device") on failure, the new file removed.
void writeFileSafely(const std::string& path, const std::string& bytes, mode_t mode);

// The whole file at path; std::runtime_error with the reason when it cannot be read.
std::string readWholeFile(const std::string& path);

} // namespace glyphmere::batch
