#include "docengine/ooxml/ZipEntryInflate.h"

#include "common/LendingPool.h"
#include "docengine/ooxml/DeflateCodec.h"

#include <memory>
#include <string_view>

namespace glyphmere::docengine {

namespace {

// What is kept of a buffer between entries; a larger entry's buffer is given back after it.
constexpr std::size_t kKeptScratch = std::size_t{1} << 20;

class ScratchBuffer {
public:
    char* reserve(std::size_t size)
    {
        if (size > m_capacity) {
            m_bytes = std::make_unique_for_overwrite<char[]>(size);
            m_capacity = size;
        }
        return m_bytes.get();
    }
    void trim()
    {
        if (m_capacity > kKeptScratch) {
            m_bytes.reset();
            m_capacity = 0;
        }
    }

private:
    std::unique_ptr<char[]> m_bytes;
    std::size_t m_capacity = 0;
};

using ScratchPool = common::LendingPool<ScratchBuffer>;

// Borrows a buffer of at least size bytes for one use and trims it before it goes back.
class ScratchUse {
public:
    ScratchUse(ScratchPool& pool, std::size_t size) : m_loan(pool.borrow()), m_data(m_loan->reserve(size)) {}
    ~ScratchUse() { m_loan->trim(); }
    ScratchUse(const ScratchUse&) = delete;
    ScratchUse& operator=(const ScratchUse&) = delete;
    char* data() const { return m_data; }

private:
    ScratchPool::Loan m_loan;
    char* m_data;
};

ScratchPool compressedScratch;
ScratchPool checkScratch;

constexpr zip_uint64_t kNeededFields =
    ZIP_STAT_SIZE | ZIP_STAT_COMP_SIZE | ZIP_STAT_COMP_METHOD | ZIP_STAT_CRC | ZIP_STAT_ENCRYPTION_METHOD;

// The most a DEFLATE stream of size bytes can take: stored blocks add 5 bytes per 64 KiB, every writer
// stays far below this. A larger stream is left to the streaming read, so it is never held whole.
zip_uint64_t largestStream(zip_uint64_t size) { return size + size / 8 + 1024; }

bool isPlain(const zip_stat_t& status)
{
    if ((status.valid & kNeededFields) != kNeededFields || status.encryption_method != ZIP_EM_NONE)
        return false;
    if (status.comp_method == ZIP_CM_STORE)
        return status.comp_size == status.size;
    return status.comp_method == ZIP_CM_DEFLATE && status.comp_size <= largestStream(status.size);
}

// The entry's stored bytes, exactly comp_size of them.
bool readStored(zip_t* archive, zip_uint64_t index, char* into, zip_uint64_t size)
{
    zip_file_t* file = zip_fopen_index(archive, index, ZIP_FL_COMPRESSED);
    if (!file)
        return false;
    const zip_int64_t got = size > 0 ? zip_fread(file, into, size) : 0;
    zip_fclose(file);
    return got >= 0 && static_cast<zip_uint64_t>(got) == size;
}

} // namespace

bool inflateEntryWhole(zip_t* archive, zip_uint64_t index, const zip_stat_t& status, char* out)
{
    if (!isPlain(status))
        return false;
    const auto size = static_cast<std::size_t>(status.size);
    if (status.comp_method == ZIP_CM_STORE) {
        if (!readStored(archive, index, out, status.comp_size))
            return false;
    } else {
        const ScratchUse compressed(compressedScratch, static_cast<std::size_t>(status.comp_size));
        if (!readStored(archive, index, compressed.data(), status.comp_size))
            return false;
        const std::string_view stream(compressed.data(), static_cast<std::size_t>(status.comp_size));
        if (!inflateWhole(stream, out, size))
            return false;
    }
    return crc32Of(std::string_view(out, size)) == status.crc;
}

bool checkEntryWhole(zip_t* archive, zip_uint64_t index, const zip_stat_t& status)
{
    if (status.size > kLargestWholeCheck)
        return false;
    const ScratchUse output(checkScratch, static_cast<std::size_t>(status.size));
    return inflateEntryWhole(archive, index, status, output.data());
}

} // namespace glyphmere::docengine
