#pragma once

#include "common/FileHandle.h"

#include <cstdint>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

namespace glyphmere::docengine {

// One entry's name exactly as the zip's central directory stores it, and the name its Info-ZIP Unicode
// Path field (0x7075) gives, when it has one. libzip reports the field's name in place of the stored one,
// so the stored names are read here, without libzip.
struct StoredEntryName {
    std::string name;
    std::optional<std::string> unicodePath;
};

// The central directory's entry names in its order, read from the zip file. Reads the end record, the directory
// (at most kMaxCentralDirectory bytes) and each entry's local header, which must agree with the directory on the
// name, method, checksum and sizes (a copy made by one of them must not cut or misread the entry), with the
// entry's data ending before the directory. Throws EngineError: "the document's package is damaged (...)", or
// "the document is too large".
std::vector<StoredEntryName> readStoredEntryNames(const common::FileHandle& file);
// The same from the package's whole bytes held in memory.
std::vector<StoredEntryName> readStoredEntryNames(std::string_view packageBytes);

inline constexpr std::uint64_t kMaxCentralDirectory = std::uint64_t{64} << 20;

} // namespace glyphmere::docengine
