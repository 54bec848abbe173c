#include "docengine/ooxml/DescriptorTarget.h"

#include "common/SystemErrorText.h"

#include <algorithm>
#include <cstdint>
#include <cstdio>
#include <cstring>
#include <memory>
#include <utility>

namespace glyphmere::docengine {

namespace {

// Large enough that the package of a typical document goes out in one write.
constexpr std::size_t kGatherSize = 256 * 1024;

class Target {
public:
    explicit Target(const common::FileHandle& file) : m_file(file) { zip_error_init(&m_error); }
    ~Target() { zip_error_fini(&m_error); }
    Target(const Target&) = delete;
    Target& operator=(const Target&) = delete;

    zip_int64_t command(void* data, zip_uint64_t length, zip_source_cmd_t command);

private:
    zip_int64_t fail(int zipError, int systemError);
    zip_int64_t stat(void* data, zip_uint64_t length);
    zip_int64_t beginWrite();
    zip_int64_t write(const char* data, std::size_t length);
    zip_int64_t seekWrite(void* data, zip_uint64_t length);
    bool writeOut(const char* data, std::size_t length, std::int64_t at);
    bool flush();
    void discard();

    const common::FileHandle& m_file;
    zip_error_t m_error;
    // Bytes not yet written: they belong at m_gatheredAt in the file.
    std::unique_ptr<char[]> m_gathered;
    std::size_t m_gatheredSize = 0;
    std::int64_t m_gatheredAt = 0;
    // Where the next write goes, and how far the archive reaches.
    std::int64_t m_position = 0;
    std::int64_t m_end = 0;
};

zip_int64_t Target::fail(int zipError, int systemError)
{
    zip_error_set(&m_error, zipError, systemError);
    return -1;
}

zip_int64_t Target::stat(void* data, zip_uint64_t length)
{
    if (length < sizeof(zip_stat_t))
        return fail(ZIP_ER_INVAL, 0);
    auto* status = static_cast<zip_stat_t*>(data);
    zip_stat_init(status);
    status->valid = ZIP_STAT_SIZE;
    status->size = static_cast<zip_uint64_t>(m_end);
    return sizeof(zip_stat_t);
}

zip_int64_t Target::beginWrite()
{
    try {
        m_file.truncate(0);
    } catch (const common::SystemError& error) {
        return fail(ZIP_ER_WRITE, error.error());
    }
    if (!m_gathered)
        m_gathered = std::make_unique_for_overwrite<char[]>(kGatherSize);
    m_gatheredSize = 0;
    m_gatheredAt = m_position = m_end = 0;
    return 0;
}

bool Target::writeOut(const char* data, std::size_t length, std::int64_t at)
{
    try {
        m_file.writeAt(static_cast<std::uint64_t>(at), data, length);
        return true;
    } catch (const common::SystemError& error) {
        fail(ZIP_ER_WRITE, error.error());
        return false;
    }
}

bool Target::flush()
{
    const std::size_t size = std::exchange(m_gatheredSize, 0);
    return writeOut(m_gathered.get(), size, m_gatheredAt);
}

// Gathers the bytes when they continue (or overwrite) what is gathered and fit; zip_close rewrites each
// entry's local header after its data, which mostly lands in the gathered bytes still.
zip_int64_t Target::write(const char* data, std::size_t length)
{
    const bool inGathered = m_position >= m_gatheredAt &&
                            m_position <= m_gatheredAt + static_cast<std::int64_t>(m_gatheredSize) &&
                            static_cast<std::size_t>(m_position - m_gatheredAt) + length <= kGatherSize;
    if (!inGathered) {
        if (!flush())
            return -1;
        m_gatheredAt = m_position;
    }
    if (length > kGatherSize) {
        if (!writeOut(data, length, m_position))
            return -1;
    } else {
        const auto at = static_cast<std::size_t>(m_position - m_gatheredAt);
        std::memcpy(m_gathered.get() + at, data, length);
        m_gatheredSize = std::max(m_gatheredSize, at + length);
    }
    m_position += static_cast<std::int64_t>(length);
    m_end = std::max(m_end, m_position);
    return static_cast<zip_int64_t>(length);
}

zip_int64_t Target::seekWrite(void* data, zip_uint64_t length)
{
    const auto* seek = ZIP_SOURCE_GET_ARGS(zip_source_args_seek_t, data, length, &m_error);
    if (!seek)
        return -1;
    std::int64_t base = 0;
    if (seek->whence == SEEK_CUR)
        base = m_position;
    else if (seek->whence == SEEK_END)
        base = m_end;
    else if (seek->whence != SEEK_SET)
        return fail(ZIP_ER_INVAL, 0);
    if (seek->offset < -base)
        return fail(ZIP_ER_INVAL, 0);
    m_position = base + static_cast<std::int64_t>(seek->offset);
    return 0;
}

// A failed or abandoned archive leaves the file empty rather than half-written.
void Target::discard()
{
    m_gatheredSize = 0;
    m_position = m_end = 0;
    try {
        m_file.truncate(0);
    } catch (const common::SystemError&) {
        // What was written stays only in our own temporary file, which the failed save removes.
    }
}

zip_int64_t Target::command(void* data, zip_uint64_t length, zip_source_cmd_t command)
{
    switch (command) {
    case ZIP_SOURCE_OPEN:
    case ZIP_SOURCE_CLOSE:
        return 0;
    case ZIP_SOURCE_READ:
        // The new archive is written only; libzip copies every entry from other sources.
        return 0;
    case ZIP_SOURCE_SEEK:
        return zip_source_seek_compute_offset(0, 0, data, length, &m_error) < 0 ? -1 : 0;
    case ZIP_SOURCE_TELL:
        return 0;
    case ZIP_SOURCE_STAT:
        return stat(data, length);
    case ZIP_SOURCE_ERROR:
        return zip_error_to_data(&m_error, data, length);
    case ZIP_SOURCE_BEGIN_WRITE:
        return beginWrite();
    case ZIP_SOURCE_WRITE:
        return write(static_cast<const char*>(data), static_cast<std::size_t>(length));
    case ZIP_SOURCE_SEEK_WRITE:
        return seekWrite(data, length);
    case ZIP_SOURCE_TELL_WRITE:
        return m_position;
    case ZIP_SOURCE_COMMIT_WRITE:
        return flush() ? 0 : -1;
    case ZIP_SOURCE_ROLLBACK_WRITE:
    case ZIP_SOURCE_REMOVE:
        discard();
        return 0;
    case ZIP_SOURCE_SUPPORTS:
        return ZIP_SOURCE_SUPPORTS_WRITABLE;
    default:
        return fail(ZIP_ER_OPNOTSUPP, 0);
    }
}

zip_int64_t targetCommand(void* state, void* data, zip_uint64_t length, zip_source_cmd_t command)
{
    auto* target = static_cast<Target*>(state);
    if (command == ZIP_SOURCE_FREE) {
        delete target;
        return 0;
    }
    return target->command(data, length, command);
}

} // namespace

zip_source_t* descriptorTarget(const common::FileHandle& file, zip_error_t* error)
{
    auto target = std::make_unique<Target>(file);
    zip_source_t* source = zip_source_function_create(targetCommand, target.get(), error);
    if (source)
        target.release();
    return source;
}

} // namespace glyphmere::docengine
