#include "docengine/container/CompoundDirectory.h"

#include "common/Utf16.h"
#include "docengine/container/CompoundFileFormat.h"
#include "docengine/container/CompoundNames.h"

#include <algorithm>
#include <string_view>

namespace glyphmere::docengine::cfb {

namespace {

constexpr std::size_t kMaxNameBytes = 64;

DirectoryEntry readEntry(std::string_view bytes, const CompoundLayout& layout, std::uint32_t number,
                         const std::string& parentPath)
{
    const std::string_view raw = bytes.substr(layout.entryOffset(number), kDirectoryEntrySize);
    DirectoryEntry entry;
    entry.type = static_cast<std::uint8_t>(raw[kEntryTypeAt]);
    if (entry.type != kStorageEntry && entry.type != kStreamEntry && !(number == 0 && entry.type == kRootEntry))
        failDamaged("directory tree reaches entry " + std::to_string(number) +
                    ", which is neither a storage nor "
                    "a stream");
    const std::string name =
        common::utf8FromUtf16Le(raw.substr(0, std::min<std::size_t>(readLe16(raw, kNameLengthAt), kMaxNameBytes)));
    entry.path = parentPath.empty() ? name : parentPath + "/" + name;
    entry.key = comparisonKey(name);
    entry.start = readLe32(raw, kStartSectorAt);
    // Version 3 files may leave junk in the size's high half; their streams are below 2 GB.
    entry.size = layout.majorVersion == 3 ? readLe32(raw, kStreamSizeAt) : readLe64(raw, kStreamSizeAt);
    return entry;
}

struct PendingEntry {
    std::uint32_t number;
    std::uint32_t parent;
};

void sortChildren(std::vector<DirectoryEntry>& entries)
{
    for (DirectoryEntry& storage : entries) {
        std::sort(storage.children.begin(), storage.children.end(),
                  [&entries](std::uint32_t a, std::uint32_t b) { return entries[a].key < entries[b].key; });
    }
}

} // namespace

std::vector<DirectoryEntry> readDirectory(const std::string& bytes, const CompoundLayout& layout)
{
    const std::uint64_t count = layout.directorySectors.size() * (layout.sectorSize() / kDirectoryEntrySize);
    if (count == 0 || bytes[layout.entryOffset(0) + kEntryTypeAt] != kRootEntry)
        failDamaged("directory has no root entry");
    std::vector<DirectoryEntry> entries(count);
    entries[0] = readEntry(bytes, layout, 0, "");
    entries[0].path.clear();
    std::vector<PendingEntry> pending{{readLe32(bytes, layout.entryOffset(0) + kChildAt), 0}};
    while (!pending.empty()) {
        const PendingEntry next = pending.back();
        pending.pop_back();
        if (next.number == kNoEntry)
            continue;
        if (next.number >= count)
            failDamaged("directory tree points outside the directory");
        if (entries[next.number].type != 0 || next.number == 0)
            failDamaged("directory tree reaches entry " + std::to_string(next.number) + " twice");
        entries[next.number] = readEntry(bytes, layout, next.number, entries[next.parent].path);
        entries[next.parent].children.push_back(next.number);
        const std::uint64_t at = layout.entryOffset(next.number);
        pending.push_back({readLe32(bytes, at + kLeftSiblingAt), next.parent});
        pending.push_back({readLe32(bytes, at + kRightSiblingAt), next.parent});
        if (entries[next.number].type == kStorageEntry)
            pending.push_back({readLe32(bytes, at + kChildAt), next.number});
    }
    sortChildren(entries);
    return entries;
}

} // namespace glyphmere::docengine::cfb
