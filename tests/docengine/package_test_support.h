#pragma once

#include "common/SafeReplace.h"
#include "docengine/files/SaveDeferral.h"
#include "docengine/ooxml/ZipPackage.h"

#include <cstdint>
#include <map>
#include <memory>
#include <string>
#include <vector>

namespace glyphmere::docengine::package_testing {

// The reason ZipPackage::open gives for the file, or "" when it opens.
std::string openRefusal(const std::string& path);

// The reason the package's save with the given parts replaced is refused with, or "" when it is written.
std::string saveRefusal(const ZipPackage& package, const std::map<std::string, std::string>& replaced);

// The package at path, opened so that its saves are kept in deferral instead of committed.
std::unique_ptr<ZipPackage> packageDeferringTo(
    SaveDeferral& deferral, const std::string& path,
    const common::FileOperations& operations = common::systemFileOperations());

// Replaces every occurrence of `from` in the file's bytes with `to` (same length), so a package written
// by libzip can carry what libzip would not write: duplicate names, flags, lying sizes.
void patchFile(const std::string& path, const std::string& from, const std::string& to);

// The names in a folder, sorted, without "." and "..".
std::vector<std::string> folderListing(const std::string& folder);

// One entry of a zip file as libzip reports it, with its data exactly as stored (still compressed).
struct StoredEntry {
    std::string name;
    std::uint16_t method = 0;
    std::int64_t modified = 0;
    std::string rawBytes;
};
std::vector<StoredEntry> storedEntries(const std::string& path);

// Little-endian bytes of a number, for patching header fields.
std::string littleEndian(std::uint64_t value, std::size_t bytes);

// A compound file of 512-byte sectors: sector 0 holds the allocation table, the directory chain starts at
// firstDirectorySector and runs through directorySectors sectors; the stream is named in the last one.
struct CompoundLayout {
    std::u16string streamName;
    std::uint32_t directorySectors = 1;
    bool chainLoops = false;
    std::uint32_t firstDirectorySector = 1;
};
std::string compoundFile(const CompoundLayout& layout);

// Writes a small package whose entry (added, or replacing a part) holds `size` zero bytes, deflated: a
// real zip bomb.
void writeBombPackage(const std::string& path, std::uint64_t size, const std::string& entry = "word/media/bomb.bin");

} // namespace glyphmere::docengine::package_testing
