#pragma once

#include <zip.h>

#include <map>
#include <string>

namespace glyphmere::docengine {

// Writes a new zip archive into the file at path (an existing, empty file of ours; libzip makes no file of
// its own) holding every entry of source in its order: an entry whose index is in replacements gets those
// bytes, deflated with libdeflate; every other one is copied compressed as stored, with its name,
// compression method, time, attributes and comment.
// Throws EngineError ("the document could not be saved: ...") on any failure.
void writePackageCopy(const std::string& path, zip_t* source,
                      const std::map<zip_uint64_t, const std::string*>& replacements);

} // namespace glyphmere::docengine
