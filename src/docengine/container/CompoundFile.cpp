#include "docengine/container/CompoundFile.h"

#include "docengine/container/CompoundFileEditor.h"
#include "docengine/container/CompoundFileFormat.h"
#include "docengine/container/CompoundNames.h"
#include "docengine/container/MiniStream.h"

#include <algorithm>

namespace glyphmere::docengine {

using namespace cfb;

namespace {

std::string streamOwner(const DirectoryEntry& entry) { return "stream \"" + displayPath(entry.path) + "\""; }

// The bytes of `size` held in the units of `chain`, each `unitSize` long at the offset `offsetOf` gives.
template <typename OffsetOf>
std::string gather(const std::string& bytes, const std::vector<std::uint32_t>& chain, std::uint64_t size,
                   std::uint64_t unitSize, OffsetOf offsetOf)
{
    std::string out;
    out.reserve(size);
    for (const std::uint32_t unit : chain)
        out.append(bytes, offsetOf(unit), std::min(unitSize, size - out.size()));
    return out;
}

} // namespace

CompoundFile::CompoundFile(std::string paddedBytes, std::uint64_t fileSize, CompoundLayout layout)
    : m_bytes(std::move(paddedBytes)), m_fileSize(fileSize), m_layout(std::move(layout))
{
}

CompoundFile CompoundFile::parse(std::string fileBytes)
{
    const std::uint64_t fileSize = fileBytes.size();
    // A short last sector reads as if padded with zeros.
    fileBytes.resize(paddedFileSize(fileBytes), '\0');
    CompoundLayout layout = readLayout(fileBytes);
    return CompoundFile(std::move(fileBytes), fileSize, std::move(layout));
}

std::optional<std::uint32_t> CompoundFile::findEntry(std::string_view path) const
{
    std::uint32_t current = 0;
    while (!path.empty()) {
        const std::size_t slash = path.find('/');
        const std::string key = comparisonKey(path.substr(0, slash));
        path = slash == std::string_view::npos ? std::string_view() : path.substr(slash + 1);
        const std::vector<std::uint32_t>& children = m_layout.entries[current].children;
        const auto found = std::find_if(children.begin(), children.end(),
                                        [&](std::uint32_t child) { return m_layout.entries[child].key == key; });
        if (found == children.end())
            return std::nullopt;
        current = *found;
    }
    return current;
}

bool CompoundFile::hasEntry(std::string_view path) const { return findEntry(path).has_value(); }

bool CompoundFile::hasStream(std::string_view path) const
{
    const std::optional<std::uint32_t> number = findEntry(path);
    return number && m_layout.entries[*number].type == kStreamEntry;
}

std::optional<std::string> CompoundFile::readStream(std::string_view path) const
{
    const std::optional<std::uint32_t> number = findEntry(path);
    if (!number || m_layout.entries[*number].type != kStreamEntry)
        return std::nullopt;
    const DirectoryEntry& entry = m_layout.entries[*number];
    if (entry.size == 0)
        return std::string();
    if (entry.size < kMiniStreamCutoff) {
        const MiniStream mini = readMiniStream(m_bytes, m_layout);
        const auto chain = chainHolding(mini.table(), entry.start, entry.size, kMiniSectorSize, streamOwner(entry));
        return gather(m_bytes, chain, entry.size, kMiniSectorSize,
                      [&](std::uint32_t unit) { return mini.fileOffset(m_layout, unit); });
    }
    if (entry.size > m_layout.sectorCount * m_layout.sectorSize())
        failDamaged(streamOwner(entry) + " is larger than the file");
    const auto chain =
        chainHolding(m_layout.fatTable(), entry.start, entry.size, m_layout.sectorSize(), streamOwner(entry));
    return gather(m_bytes, chain, entry.size, m_layout.sectorSize(),
                  [&](std::uint32_t unit) { return m_layout.sectorOffset(unit); });
}

std::uint32_t CompoundFile::findStream(std::string_view path) const
{
    const std::optional<std::uint32_t> number = findEntry(path);
    if (!number || m_layout.entries[*number].type != kStreamEntry)
        throw EngineError("the compound file has no stream \"" + displayPath(path) + "\"");
    return *number;
}

std::string CompoundFile::withStreams(const std::map<std::string, std::string>& newContents) const
{
    CompoundFileEditor editor(m_bytes, m_fileSize, m_layout);
    for (const auto& [path, content] : newContents) {
        const std::uint32_t number = findStream(path);
        editor.replaceStream(number, streamOwner(m_layout.entries[number]), content);
    }
    return editor.finish();
}

} // namespace glyphmere::docengine
