#pragma once

#include "common/SafeReplace.h"
#include "docengine/files/SaveDeferral.h"
#include "docengine/ooxml/ZipPackage.h"

#include <cstdint>
#include <map>
#include <memory>
#include <ctime>
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

// A time long past, which the entries of a mixed package carry (2001-02-03).
inline constexpr std::time_t kOldTime = 981172800;
inline constexpr const char* kNewDocument = "<w:document>changed</w:document>";

// Moves the file's time of last change by the smallest step the system keeps (posix/ or win32/), as another
// program's write within the same second would.
void touchNanoseconds(const std::string& path);

// Gives the file settings that differ from a new file's and that a save must keep (the permission bits
// 0640 on POSIX; the hidden and archive attributes on Windows), and whether the file has them now.
void giveDistinctSettings(const std::string& path);
bool hasDistinctSettings(const std::string& path);

// Writes a package as other programs write them: deflated parts, a stored picture, old times, a comment.
void writeMixedPackage(const std::string& path);

} // namespace glyphmere::docengine::package_testing
