#pragma once

#include "common/FileHandle.h"
#include "docengine/ooxml/ZipCentralDirectory.h"

#include <zip.h>

#include <cstdint>
#include <functional>
#include <memory>
#include <string>
#include <vector>

namespace glyphmere::docengine {

struct ZipDiscard {
    void operator()(zip_t* archive) const { zip_discard(archive); }
};
// A libzip archive that is discarded (never written) unless closed on purpose.
using ZipArchivePtr = std::unique_ptr<zip_t, ZipDiscard>;

// Opens an archive over the source that makeSource creates (null when it cannot, with the reason in the
// error it is given), with zip_open_from_source's flags; the source is freed when no archive can be opened
// over it. A failure throws EngineError(describeFailure(the error libzip recorded)).
ZipArchivePtr openArchiveOverSource(const std::function<zip_source_t*(zip_error_t*)>& makeSource, int flags,
                                    std::string (*describeFailure)(zip_error_t*));

// Opens the zip archive in the file for reading, through a handle of its own (the file stays the caller's).
// Throws EngineError ("the document's package is damaged (...)") when it is no readable archive.
ZipArchivePtr openZipArchive(const common::FileHandle& file);

// The entry names in the archive's order (raw bytes, as stored; stored holds the central directory's
// names as readStoredEntryNames reads them), after checking that each is safe, that every reader takes
// it for the same name (no Unicode Path field that names something else), that no two of them could be
// taken for the same part, and that no entry is encrypted. Throws EngineError otherwise.
std::vector<std::string> checkedEntryNames(zip_t* archive, const std::vector<StoredEntryName>& stored);

// How much may be inflated: per entry, and in all reads together.
struct ReadBudget {
    std::uint64_t entryLimit = std::uint64_t{256} << 20;
    std::uint64_t totalLimit = std::uint64_t{1} << 30;
    std::uint64_t used = 0;
};

// The inflated bytes of one entry. Reads at most the size the archive claims (refused up front when over
// the budget) and stops as soon as the data runs past it, so a zip bomb costs neither time nor memory.
// Throws EngineError: "the document is too large", or damaged (CRC error, truncated or oversized data).
std::string readZipEntry(zip_t* archive, zip_uint64_t index, ReadBudget& budget);

// Inflates the entry to its end without keeping the data, so that its stored checksum is checked. Counts
// against the budget's total only (a large picture is copied, never held: entries above kLargestWholeCheck
// are streamed) and stops as soon as the data runs past the size the archive claims. Throws EngineError as
// readZipEntry does.
void verifyZipEntry(zip_t* archive, zip_uint64_t index, ReadBudget& budget);

// Why libzip could not open an archive, as a clause for "the document's package is damaged (...)".
std::string openFailureDetail(zip_error_t* error);
// libzip's description of an error, with the system's reason where there is one.
std::string zipErrorText(zip_error_t* error);

} // namespace glyphmere::docengine
