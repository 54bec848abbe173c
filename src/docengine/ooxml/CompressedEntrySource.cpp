#include "docengine/ooxml/CompressedEntrySource.h"

#include <algorithm>
#include <cstring>

namespace glyphmere::docengine {

namespace {

struct CompressedEntry {
    const DeflatedBytes* deflated;
    std::time_t modified;
    std::size_t position = 0;
    zip_error_t error{};
};

zip_int64_t fillStat(CompressedEntry& entry, void* data, zip_uint64_t length)
{
    if (length < sizeof(zip_stat_t)) {
        zip_error_set(&entry.error, ZIP_ER_INVAL, 0);
        return -1;
    }
    auto* status = static_cast<zip_stat_t*>(data);
    zip_stat_init(status);
    status->valid = ZIP_STAT_SIZE | ZIP_STAT_COMP_SIZE | ZIP_STAT_COMP_METHOD | ZIP_STAT_CRC | ZIP_STAT_MTIME |
                    ZIP_STAT_ENCRYPTION_METHOD;
    status->size = entry.deflated->inflatedSize;
    status->comp_size = entry.deflated->size;
    status->comp_method = ZIP_CM_DEFLATE;
    status->crc = entry.deflated->crc;
    status->mtime = entry.modified;
    status->encryption_method = ZIP_EM_NONE;
    return sizeof(zip_stat_t);
}

zip_int64_t compressedEntryCommand(void* state, void* data, zip_uint64_t length, zip_source_cmd_t command)
{
    auto* entry = static_cast<CompressedEntry*>(state);
    switch (command) {
    case ZIP_SOURCE_OPEN:
        entry->position = 0;
        return 0;
    case ZIP_SOURCE_READ: {
        const std::size_t count = std::min<std::size_t>(length, entry->deflated->size - entry->position);
        std::memcpy(data, entry->deflated->data.get() + entry->position, count);
        entry->position += count;
        return static_cast<zip_int64_t>(count);
    }
    case ZIP_SOURCE_CLOSE:
        return 0;
    case ZIP_SOURCE_STAT:
        return fillStat(*entry, data, length);
    case ZIP_SOURCE_ERROR:
        return zip_error_to_data(&entry->error, data, length);
    case ZIP_SOURCE_FREE:
        zip_error_fini(&entry->error);
        delete entry;
        return 0;
    case ZIP_SOURCE_SUPPORTS:
        return ZIP_SOURCE_SUPPORTS_READABLE;
    default:
        return -1;
    }
}

} // namespace

zip_source_t* compressedEntrySource(zip_t* archive, const DeflatedBytes& deflated, std::time_t modified)
{
    auto* entry = new CompressedEntry{&deflated, modified};
    zip_error_init(&entry->error);
    zip_source_t* source = zip_source_function(archive, compressedEntryCommand, entry);
    if (!source)
        delete entry;
    return source;
}

} // namespace glyphmere::docengine
