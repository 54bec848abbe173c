#include "docengine/ooxml/HandleSource.h"

#include <algorithm>
#include <memory>

namespace glyphmere::docengine {

namespace {

class Source {
public:
    explicit Source(common::FileHandle file) : m_file(std::move(file)), m_size(m_file.status().size)
    {
        zip_error_init(&m_error);
    }
    ~Source() { zip_error_fini(&m_error); }
    Source(const Source&) = delete;
    Source& operator=(const Source&) = delete;

    zip_int64_t command(void* data, zip_uint64_t length, zip_source_cmd_t command);

private:
    zip_int64_t read(char* into, zip_uint64_t length);
    zip_int64_t stat(void* data, zip_uint64_t length);

    common::FileHandle m_file;
    zip_error_t m_error;
    std::uint64_t m_size;
    std::uint64_t m_position = 0;
};

zip_int64_t Source::read(char* into, zip_uint64_t length)
{
    const std::uint64_t wanted = std::min<std::uint64_t>(length, m_size - std::min(m_position, m_size));
    const common::RangeRead got = m_file.readAt(m_position, into, static_cast<std::size_t>(wanted));
    if (got.error != 0) {
        zip_error_set(&m_error, ZIP_ER_READ, got.error);
        return -1;
    }
    m_position += got.count;
    return static_cast<zip_int64_t>(got.count);
}

zip_int64_t Source::stat(void* data, zip_uint64_t length)
{
    if (length < sizeof(zip_stat_t)) {
        zip_error_set(&m_error, ZIP_ER_INVAL, 0);
        return -1;
    }
    auto* status = static_cast<zip_stat_t*>(data);
    zip_stat_init(status);
    status->valid = ZIP_STAT_SIZE | ZIP_STAT_COMP_SIZE | ZIP_STAT_COMP_METHOD | ZIP_STAT_ENCRYPTION_METHOD;
    status->size = status->comp_size = m_size;
    status->comp_method = ZIP_CM_STORE;
    status->encryption_method = ZIP_EM_NONE;
    return sizeof(zip_stat_t);
}

zip_int64_t Source::command(void* data, zip_uint64_t length, zip_source_cmd_t command)
{
    switch (command) {
    case ZIP_SOURCE_OPEN:
        m_position = 0;
        return 0;
    case ZIP_SOURCE_CLOSE:
        return 0;
    case ZIP_SOURCE_READ:
        return read(static_cast<char*>(data), length);
    case ZIP_SOURCE_SEEK: {
        const zip_int64_t position = zip_source_seek_compute_offset(m_position, m_size, data, length, &m_error);
        if (position < 0)
            return -1;
        m_position = static_cast<std::uint64_t>(position);
        return 0;
    }
    case ZIP_SOURCE_TELL:
        return static_cast<zip_int64_t>(m_position);
    case ZIP_SOURCE_STAT:
        return stat(data, length);
    case ZIP_SOURCE_ERROR:
        return zip_error_to_data(&m_error, data, length);
    case ZIP_SOURCE_SUPPORTS:
        return ZIP_SOURCE_SUPPORTS_SEEKABLE;
    default:
        zip_error_set(&m_error, ZIP_ER_OPNOTSUPP, 0);
        return -1;
    }
}

zip_int64_t sourceCommand(void* state, void* data, zip_uint64_t length, zip_source_cmd_t command)
{
    auto* source = static_cast<Source*>(state);
    if (command == ZIP_SOURCE_FREE) {
        delete source;
        return 0;
    }
    return source->command(data, length, command);
}

} // namespace

zip_source_t* handleSource(const common::FileHandle& file, zip_error_t* error)
{
    auto source = std::make_unique<Source>(file.duplicate());
    zip_source_t* created = zip_source_function_create(sourceCommand, source.get(), error);
    if (created)
        source.release();
    return created;
}

} // namespace glyphmere::docengine
