#pragma once

#include "common/FileHandle.h"
#include "docengine/ooxml/LibzipArchive.h"
#include "docengine/ooxml/ZipCentralDirectory.h"

#include <cstdint>
#include <memory>
#include <string_view>
#include <vector>

namespace glyphmere::docengine {

// Packages at most this large are read whole with one read and opened from memory: libzip reading a file
// seeks before every read and reads in small pieces, which for a typical document costs as much time in
// system calls as its XML work. The bound keeps what a job holds small next to the parts it inflates (a
// document with 50 MiB of text packs into about 9 MiB), while a package of large pictures, which are only
// copied, is read from the file as needed and never held whole.
inline constexpr std::uint64_t kLargestHeldPackage = std::uint64_t{16} << 20;

// A package's zip archive opened for reading, from its bytes in memory when the file is at most
// largestHeld bytes long, otherwise from the file. Either way it reads the package as it was when opened
// and needs nothing of the caller's file afterwards.
class ZipArchiveReader {
public:
    // Throws EngineError: the file cannot be read, or "the document's package is damaged (...)".
    static ZipArchiveReader open(const common::FileHandle& file, std::uint64_t largestHeld = kLargestHeldPackage);

    ZipArchiveReader(ZipArchiveReader&&) noexcept = default;
    // Takes the other's archive and bytes; the old ones go with the other, archive first.
    ZipArchiveReader& operator=(ZipArchiveReader&& other) noexcept;

    zip_t* get() const { return m_archive.get(); }
    // The package's bytes when the archive reads them from memory; empty when it reads the file.
    std::string_view heldBytes() const { return {m_bytes.get(), m_size}; }
    // The entry names as the central directory stores them (see readStoredEntryNames), read and checked
    // against the local headers before libzip opened the archive, so that damage is named for what it is.
    const std::vector<StoredEntryName>& storedEntryNames() const { return m_stored; }

private:
    ZipArchiveReader(std::unique_ptr<char[]> bytes, std::size_t size, std::vector<StoredEntryName> stored,
                     ZipArchivePtr archive);

    std::unique_ptr<char[]> m_bytes;
    std::size_t m_size = 0;
    std::vector<StoredEntryName> m_stored;
    // Declared after the bytes, so that it is discarded before them: it reads them until then.
    ZipArchivePtr m_archive;
};

} // namespace glyphmere::docengine
