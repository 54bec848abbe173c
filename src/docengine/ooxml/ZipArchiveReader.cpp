#include "docengine/ooxml/ZipArchiveReader.h"

#include "common/SystemErrorText.h"
#include "docengine/EngineError.h"
#include "docengine/EngineMessages.h"

#include <utility>

namespace glyphmere::docengine {

namespace {

[[noreturn]] void throwUnreadable(int error)
{
    throw EngineError(messages::cannotOpen(common::systemErrorText(error)));
}

std::uint64_t fileSize(const common::FileHandle& file)
{
    try {
        return file.status().size;
    } catch (const common::SystemError& error) {
        throwUnreadable(error.error());
    }
}

// Reads up to size bytes from the file's start; fewer when the file has since become shorter, which the
// archive then finds truncated.
std::size_t readFromStart(const common::FileHandle& file, char* into, std::size_t size)
{
    const common::RangeRead read = file.readAt(0, into, size);
    if (read.error != 0)
        throwUnreadable(read.error);
    return read.count;
}

// An archive reading bytes that stay the caller's and must outlive it.
ZipArchivePtr openFromMemory(const char* bytes, std::size_t size)
{
    return openArchiveOverSource(
        [bytes, size](zip_error_t* error) { return zip_source_buffer_create(bytes, size, 0, error); }, ZIP_RDONLY,
        [](zip_error_t* error) { return messages::damaged(openFailureDetail(error)); });
}

} // namespace

ZipArchiveReader ZipArchiveReader::open(const common::FileHandle& file, std::uint64_t largestHeld)
{
    const std::uint64_t size = fileSize(file);
    if (size > largestHeld) {
        std::vector<StoredEntryName> stored = readStoredEntryNames(file);
        return ZipArchiveReader(nullptr, 0, std::move(stored), openZipArchive(file));
    }
    auto bytes = std::make_unique_for_overwrite<char[]>(static_cast<std::size_t>(size));
    const std::size_t read = readFromStart(file, bytes.get(), static_cast<std::size_t>(size));
    std::vector<StoredEntryName> stored = readStoredEntryNames(std::string_view(bytes.get(), read));
    ZipArchivePtr archive = openFromMemory(bytes.get(), read);
    return ZipArchiveReader(std::move(bytes), read, std::move(stored), std::move(archive));
}

ZipArchiveReader::ZipArchiveReader(std::unique_ptr<char[]> bytes, std::size_t size, std::vector<StoredEntryName> stored,
                                   ZipArchivePtr archive)
    : m_bytes(std::move(bytes)), m_size(size), m_stored(std::move(stored)), m_archive(std::move(archive))
{
}

ZipArchiveReader& ZipArchiveReader::operator=(ZipArchiveReader&& other) noexcept
{
    std::swap(m_archive, other.m_archive);
    std::swap(m_bytes, other.m_bytes);
    std::swap(m_size, other.m_size);
    std::swap(m_stored, other.m_stored);
    return *this;
}

} // namespace glyphmere::docengine
