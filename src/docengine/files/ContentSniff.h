#pragma once

#include "common/FileHandle.h"

#include <cstdint>

namespace glyphmere::docengine {

// What a regular file holds, told by its first bytes and never by its name.
enum class FileContent {
    ZipPackage,         // a zip archive with at least one entry
    EncryptedPackage,   // an OLE compound file holding an "EncryptedPackage" stream
    WordBinaryDocument, // any other OLE compound file
    Other               // text, RTF, HTML, PDF, an empty file or an empty zip archive
};

// Throws EngineError when the file cannot be read.
FileContent sniffContent(const common::FileHandle& file, std::uint64_t fileSize);

} // namespace glyphmere::docengine
