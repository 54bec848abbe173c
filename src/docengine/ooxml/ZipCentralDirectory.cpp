#include "docengine/ooxml/ZipCentralDirectory.h"

#include "common/FileHandle.h"
#include "common/LittleEndian.h"
#include "common/SystemErrorText.h"
#include "docengine/EngineError.h"
#include "docengine/EngineMessages.h"

#include <algorithm>
#include <optional>
#include <string_view>

namespace glyphmere::docengine {

namespace {

constexpr std::string_view kEndSignature{"PK\x05\x06", 4};
constexpr std::string_view kZip64LocatorSignature{"PK\x06\x07", 4};
constexpr std::string_view kZip64EndSignature{"PK\x06\x06", 4};
constexpr std::string_view kEntrySignature{"PK\x01\x02", 4};
constexpr std::size_t kEndSize = 22;
constexpr std::size_t kMaxCommentSize = 0xFFFF;
constexpr std::size_t kZip64LocatorSize = 20;
constexpr std::size_t kZip64EndSize = 56;
constexpr std::size_t kEntrySize = 46;
constexpr std::uint16_t kUnicodePathField = 0x7075;
constexpr std::uint16_t kZip64Field = 0x0001;
constexpr std::string_view kLocalSignature{"PK\x03\x04", 4};
constexpr std::size_t kLocalSize = 30;
constexpr std::uint64_t kZip64Mark = 0xFFFFFFFF;
constexpr std::uint16_t kDataDescriptorFlag = 0x0008;
constexpr std::string_view kDescriptorSignature{"PK\x07\x08", 4};

[[noreturn]] void damaged(const std::string& detail) { throw EngineError(messages::damaged(detail)); }

std::uint64_t number(std::string_view bytes, std::size_t at, std::size_t size)
{
    const std::optional<std::uint64_t> value = common::readLittleEndian(bytes, at, size);
    if (!value)
        damaged("the zip directory is inconsistent");
    return *value;
}

// Reads the directory's pieces from the file.
class FileBytes {
public:
    explicit FileBytes(const common::FileHandle& file) : m_file(file) {}
    std::uint64_t size() const;
    std::string at(std::uint64_t offset, std::uint64_t size) const;

private:
    const common::FileHandle& m_file;
};

// The same from the package's bytes in memory, without copying them.
class HeldBytes {
public:
    explicit HeldBytes(std::string_view bytes) : m_bytes(bytes) {}
    std::uint64_t size() const { return m_bytes.size(); }
    std::string_view at(std::uint64_t offset, std::uint64_t size) const
    {
        if (offset > m_bytes.size() || size > m_bytes.size() - offset)
            damaged("the zip directory is inconsistent");
        return m_bytes.substr(static_cast<std::size_t>(offset), static_cast<std::size_t>(size));
    }

private:
    std::string_view m_bytes;
};

std::uint64_t FileBytes::size() const
{
    try {
        return m_file.status().size;
    } catch (const common::SystemError& error) {
        throw EngineError(messages::cannotOpen(error.what()));
    }
}

std::string FileBytes::at(std::uint64_t offset, std::uint64_t size) const
{
    std::string bytes(static_cast<std::size_t>(size), '\0');
    const common::RangeRead read = m_file.readAt(offset, bytes.data(), bytes.size());
    if (read.error != 0)
        throw EngineError(messages::cannotOpen(common::systemErrorText(read.error)));
    if (read.count < bytes.size())
        damaged("the zip directory is inconsistent");
    return bytes;
}

struct DirectoryPlace {
    std::uint64_t offset = 0;
    std::uint64_t size = 0;
    std::uint64_t entries = 0;
};

// The end record nearest the end of the file whose comment fits in the file.
std::size_t endRecordIn(std::string_view tail)
{
    for (std::size_t at = tail.size() - kEndSize + 1; at-- > 0;) {
        if (tail.substr(at, 4) == kEndSignature && at + kEndSize + number(tail, at + 20, 2) <= tail.size())
            return at;
    }
    damaged("no zip directory was found; the file may be truncated");
}

template <typename Bytes>
DirectoryPlace zip64Place(const Bytes& file, std::string_view tail, std::size_t end, std::uint64_t tailOffset)
{
    if (end < kZip64LocatorSize || tail.substr(end - kZip64LocatorSize, 4) != kZip64LocatorSignature)
        damaged("the zip directory is inconsistent");
    const std::uint64_t recordOffset = number(tail, end - kZip64LocatorSize + 8, 8);
    if (recordOffset > tailOffset + end)
        damaged("the zip directory is inconsistent");
    const auto record = file.at(recordOffset, kZip64EndSize);
    if (std::string_view(record).substr(0, 4) != kZip64EndSignature)
        damaged("the zip directory is inconsistent");
    return {number(record, 48, 8), number(record, 40, 8), number(record, 32, 8)};
}

template <typename Bytes>
DirectoryPlace directoryPlace(const Bytes& file, std::uint64_t fileSize)
{
    if (fileSize < kEndSize)
        damaged("no zip directory was found; the file may be truncated");
    const std::uint64_t tailSize = std::min<std::uint64_t>(fileSize, kEndSize + kMaxCommentSize);
    const std::uint64_t tailOffset = fileSize - tailSize;
    const auto tail = file.at(tailOffset, tailSize);
    const std::size_t end = endRecordIn(tail);
    DirectoryPlace place{number(tail, end + 16, 4), number(tail, end + 12, 4), number(tail, end + 10, 2)};
    if (place.entries == 0xFFFF || place.size == 0xFFFFFFFF || place.offset == 0xFFFFFFFF)
        place = zip64Place(file, tail, end, tailOffset);
    if (place.offset > fileSize || place.size > fileSize - place.offset)
        damaged("the zip directory is inconsistent");
    if (place.size > kMaxCentralDirectory)
        throw EngineError(messages::kTooLarge);
    return place;
}

std::optional<std::string> unicodePathIn(std::string_view extra)
{
    for (std::size_t at = 0; at + 4 <= extra.size();) {
        const auto id = static_cast<std::uint16_t>(number(extra, at, 2));
        const std::size_t size = number(extra, at + 2, 2);
        if (at + 4 + size > extra.size())
            damaged("an entry's extra field is inconsistent");
        // Version 1, the stored name's checksum, then the name in UTF-8.
        if (id == kUnicodePathField && size >= 5)
            return std::string(extra.substr(at + 4 + 5, size - 5));
        at += 4 + size;
    }
    return std::nullopt;
}

// The extra field's record of `id`, if it has one.
std::optional<std::string_view> extraRecord(std::string_view extra, std::uint16_t id)
{
    for (std::size_t at = 0; at + 4 <= extra.size();) {
        const std::size_t size = number(extra, at + 2, 2);
        if (at + 4 + size > extra.size())
            damaged("an entry's extra field is inconsistent");
        if (number(extra, at, 2) == id)
            return extra.substr(at + 4, size);
        at += 4 + size;
    }
    return std::nullopt;
}

// What a central directory record or a local header says of its entry.
struct EntryRecord {
    std::string_view name;
    std::uint64_t flags = 0, method = 0, crc = 0, compressedSize = 0, size = 0, localOffset = 0;
};

// Replaces the 32-bit fields that hold the 64-bit mark with the values of the Zip64 extra record. A directory
// record holds only the marked ones, in the order size, compressed size, local header offset; a local header
// holds both sizes whenever one is marked.
void resolveZip64(EntryRecord& record, std::string_view extra, bool isDirectory)
{
    std::uint64_t* fields[] = {&record.size, &record.compressedSize, &record.localOffset};
    const std::size_t count = isDirectory ? 3 : 2;
    const auto marked = [](const std::uint64_t* field) { return *field == kZip64Mark; };
    if (std::none_of(fields, fields + count, marked))
        return;
    const std::optional<std::string_view> values = extraRecord(extra, kZip64Field);
    std::size_t at = 0;
    for (std::size_t i = 0; i < count; ++i) {
        if (!marked(fields[i]) && isDirectory)
            continue;
        if (marked(fields[i]) && (!values || at + 8 > values->size()))
            damaged("the entry \"" + std::string(record.name) +
                    "\" gives a size or place of 0xFFFFFFFF without "
                    "the 64-bit value it stands for");
        if (marked(fields[i]))
            *fields[i] = number(*values, at, 8);
        at += 8;
    }
}

EntryRecord centralRecord(std::string_view bytes, std::size_t at, std::size_t nameSize, std::size_t extraSize)
{
    EntryRecord record{bytes.substr(at + kEntrySize, nameSize),
                       number(bytes, at + 8, 2),
                       number(bytes, at + 10, 2),
                       number(bytes, at + 16, 4),
                       number(bytes, at + 20, 4),
                       number(bytes, at + 24, 4),
                       number(bytes, at + 42, 4)};
    resolveZip64(record, bytes.substr(at + kEntrySize + nameSize, extraSize), true);
    return record;
}

// A reader that trusts the local header (and the data descriptor it defers to) and one that trusts the
// directory must find the same entry: the same name, method, checksum and sizes.
void checkAgreement(const EntryRecord& central, const EntryRecord& local)
{
    const auto disagree = [&central](const char* what) {
        damaged("the zip directory and the local header of \"" + std::string(central.name) + "\" disagree on " + what);
    };
    if (local.name != central.name)
        disagree("its name");
    if (local.method != central.method)
        disagree("its compression method");
    if (local.crc != central.crc)
        disagree("its checksum");
    if (local.compressedSize != central.compressedSize)
        disagree("its compressed size");
    if (local.size != central.size)
        disagree("its size");
}

// The checksum and sizes that follow an entry's data when its local header defers them (with or without the
// descriptor's signature, with 64-bit sizes when the directory needs them), in place of the header's zeros.
template <typename Bytes>
void readDataDescriptor(const Bytes& file, std::uint64_t at, std::uint64_t directoryOffset, const EntryRecord& central,
                        EntryRecord& local)
{
    constexpr std::size_t kLongest = 4 + 4 + 8 + 8;
    if (at > directoryOffset)
        damaged("the zip directory is inconsistent");
    const auto bytes = file.at(at, std::min<std::uint64_t>(kLongest, directoryOffset - at));
    std::string_view descriptor = bytes;
    if (descriptor.substr(0, 4) == kDescriptorSignature)
        descriptor.remove_prefix(4);
    const bool wide = central.size >= kZip64Mark || central.compressedSize >= kZip64Mark;
    local.crc = number(descriptor, 0, 4);
    local.compressedSize = number(descriptor, 4, wide ? 8 : 4);
    local.size = number(descriptor, wide ? 12 : 8, wide ? 8 : 4);
}

// Reads the local header of the entry and checks it against the directory, and that the entry's data ends
// before the directory starts.
template <typename Bytes>
void checkLocalHeader(const Bytes& file, const EntryRecord& central, std::uint64_t directoryOffset)
{
    const std::string quoted = "\"" + std::string(central.name) + "\"";
    if (central.localOffset > directoryOffset || directoryOffset - central.localOffset < kLocalSize)
        damaged("the local header of " + quoted + " lies outside the archive's entries");
    const auto fixed = file.at(central.localOffset, kLocalSize);
    const std::string_view header = fixed;
    if (header.substr(0, 4) != kLocalSignature)
        damaged("the local header of " + quoted + " is missing");
    const std::uint64_t nameSize = number(header, 26, 2);
    const std::uint64_t dataStart = central.localOffset + kLocalSize + nameSize + number(header, 28, 2);
    if (dataStart > directoryOffset || directoryOffset - dataStart < central.compressedSize)
        damaged("the local header of " + quoted + " runs past the entry's data into the zip directory");
    const auto variable = file.at(central.localOffset + kLocalSize, dataStart - central.localOffset - kLocalSize);
    const std::string_view nameAndExtra = variable;
    EntryRecord local{nameAndExtra.substr(0, nameSize),
                      number(header, 6, 2),
                      number(header, 8, 2),
                      number(header, 14, 4),
                      number(header, 18, 4),
                      number(header, 22, 4)};
    resolveZip64(local, nameAndExtra.substr(nameSize), false);
    if (local.flags & kDataDescriptorFlag)
        readDataDescriptor(file, dataStart + central.compressedSize, directoryOffset, central, local);
    checkAgreement(central, local);
}

template <typename Bytes>
std::vector<StoredEntryName> storedEntryNames(const Bytes& file)
{
    const DirectoryPlace place = directoryPlace(file, file.size());
    if (place.entries > place.size / kEntrySize)
        damaged("the zip directory is inconsistent");
    const auto directory = file.at(place.offset, place.size);
    const std::string_view bytes = directory;
    std::vector<StoredEntryName> names;
    names.reserve(static_cast<std::size_t>(place.entries));
    std::size_t at = 0;
    for (std::uint64_t entry = 0; entry < place.entries; ++entry) {
        if (bytes.substr(at, 4) != kEntrySignature)
            damaged("the zip directory is inconsistent");
        const std::size_t nameSize = number(bytes, at + 28, 2);
        const std::size_t extraSize = number(bytes, at + 30, 2);
        const std::size_t commentSize = number(bytes, at + 32, 2);
        const std::size_t next = at + kEntrySize + nameSize + extraSize + commentSize;
        if (next > bytes.size())
            damaged("the zip directory is inconsistent");
        names.push_back({std::string(bytes.substr(at + kEntrySize, nameSize)),
                         unicodePathIn(bytes.substr(at + kEntrySize + nameSize, extraSize))});
        checkLocalHeader(file, centralRecord(bytes, at, nameSize, extraSize), place.offset);
        at = next;
    }
    return names;
}

} // namespace

std::vector<StoredEntryName> readStoredEntryNames(const common::FileHandle& file)
{
    return storedEntryNames(FileBytes(file));
}

std::vector<StoredEntryName> readStoredEntryNames(std::string_view packageBytes)
{
    return storedEntryNames(HeldBytes(packageBytes));
}

} // namespace glyphmere::docengine
