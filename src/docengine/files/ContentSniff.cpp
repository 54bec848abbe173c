#include "docengine/files/ContentSniff.h"

#include "common/FileHandle.h"
#include "common/SystemErrorText.h"
#include "docengine/container/CompoundFile.h"
#include "docengine/files/DocumentFileAccess.h"
#include "docengine/EngineError.h"
#include "docengine/EngineMessages.h"

#include <array>
#include <cstring>

namespace glyphmere::docengine {

namespace {

constexpr std::array<unsigned char, 4> kZipLocalHeader{'P', 'K', 3, 4};
constexpr std::array<unsigned char, 8> kCompoundFileSignature{0xD0, 0xCF, 0x11, 0xE0, 0xA1, 0xB1, 0x1A, 0xE1};

template <std::size_t N>
bool startsWith(const std::array<unsigned char, 8>& head, std::size_t headSize,
                const std::array<unsigned char, N>& signature)
{
    return headSize >= N && std::memcmp(head.data(), signature.data(), N) == 0;
}

// Whether the compound file holds an encrypted package, by the same reader the Word 97-2003 layer uses. A
// compound file too large to read whole, or too damaged to read, is left to that layer, which refuses it
// with its reason.
bool holdsEncryptedPackage(const common::FileHandle& file, std::uint64_t fileSize)
{
    if (fileSize > DocumentFileAccess::kLargestWholeRead)
        return false;
    std::string bytes(static_cast<std::size_t>(fileSize), '\0');
    if (file.readAt(0, bytes.data(), bytes.size()).count != bytes.size())
        return false;
    try {
        return CompoundFile::parse(std::move(bytes)).hasStream("EncryptedPackage");
    } catch (const EngineError&) {
        return false; // damaged: the Word 97-2003 layer names the damage when it opens the file
    }
}

} // namespace

FileContent sniffContent(const common::FileHandle& file, std::uint64_t fileSize)
{
    std::array<unsigned char, 8> head{};
    const common::RangeRead read = file.readAt(0, reinterpret_cast<char*>(head.data()), head.size());
    if (read.error != 0)
        throw EngineError(messages::cannotOpen(common::systemErrorText(read.error)));
    const std::size_t headSize = read.count;

    if (startsWith(head, headSize, kZipLocalHeader))
        return FileContent::ZipPackage;
    if (startsWith(head, headSize, kCompoundFileSignature)) {
        return holdsEncryptedPackage(file, fileSize) ? FileContent::EncryptedPackage : FileContent::WordBinaryDocument;
    }
    return FileContent::Other;
}

} // namespace glyphmere::docengine
