#include "docengine/ooxml/PackageWriter.h"

#include "common/SystemErrorText.h"
#include "common/FileHandle.h"
#include "docengine/EngineError.h"
#include "docengine/EngineMessages.h"
#include "docengine/ooxml/CompressedEntrySource.h"
#include "docengine/ooxml/DeflateCodec.h"
#include "docengine/ooxml/DescriptorTarget.h"
#include "docengine/ooxml/LibzipArchive.h"

#include <ctime>

namespace glyphmere::docengine {

namespace {

[[noreturn]] void throwWriteFailure(zip_error_t* error)
{
    // libzip checks a stored entry's checksum as it copies it: that is the document's damage, not the save's.
    if (zip_error_code_zip(error) == ZIP_ER_CRC)
        throw EngineError(messages::damaged(zipErrorText(error)));
    throw EngineError(messages::cannotSave(zipErrorText(error)));
}

void check(bool succeeded, zip_t* target)
{
    if (!succeeded)
        throwWriteFailure(zip_get_error(target));
}

void keepEntryDetails(zip_t* source, zip_uint64_t index, zip_t* target, zip_uint64_t added)
{
    zip_uint8_t system = 0;
    zip_uint32_t attributes = 0;
    check(zip_file_get_external_attributes(source, index, 0, &system, &attributes) == 0, source);
    check(zip_file_set_external_attributes(target, added, 0, system, attributes) == 0, target);
    zip_uint32_t commentLength = 0;
    const char* comment = zip_file_get_comment(source, index, &commentLength, ZIP_FL_ENC_RAW);
    if (comment && commentLength > 0)
        check(zip_file_set_comment(target, added, comment, static_cast<zip_uint16_t>(commentLength), 0) == 0, target);
}

// Adds the entry and gives its index; the data source is freed when it cannot be added.
zip_uint64_t addEntry(zip_t* target, const char* name, zip_source_t* data)
{
    check(data != nullptr, target);
    const zip_int64_t added = zip_file_add(target, name, data, 0);
    if (added < 0) {
        zip_source_free(data);
        throwWriteFailure(zip_get_error(target));
    }
    return static_cast<zip_uint64_t>(added);
}

void copyEntryAsStored(zip_t* source, zip_uint64_t index, const char* name, zip_t* target)
{
    zip_stat_t status;
    check(zip_stat_index(source, index, 0, &status) == 0, source);
    const zip_uint64_t at = addEntry(target, name, zip_source_zip(target, source, index, ZIP_FL_COMPRESSED, 0, -1));
    // Without the source's own method libzip would recompress (a stored entry would come out deflated).
    check(zip_set_file_compression(target, at, status.comp_method, 0) == 0, target);
    check(zip_file_set_mtime(target, at, status.mtime, 0) == 0, target);
    keepEntryDetails(source, index, target, at);
}

// The bytes come deflated already, and libzip takes them as they are (its method left at the default, which
// then is the source's own: deflate).
void addReplacedEntry(zip_t* source, zip_uint64_t index, const char* name, const DeflatedBytes& deflated,
                      std::time_t modified, zip_t* target)
{
    const zip_uint64_t at = addEntry(target, name, compressedEntrySource(target, deflated, modified));
    keepEntryDetails(source, index, target, at);
}

// A new archive that zip_close writes straight into the file at path.
ZipArchivePtr openTarget(const std::string& path, common::FileHandle& file)
{
    try {
        file = common::FileHandle::openForWriting(path);
    } catch (const common::SystemError& error) {
        throw EngineError(messages::cannotSave(error.what()));
    }
    return openArchiveOverSource([&file](zip_error_t* error) { return descriptorTarget(file, error); }, ZIP_TRUNCATE,
                                 [](zip_error_t* error) { return messages::cannotSave(zipErrorText(error)); });
}

} // namespace

void writePackageCopy(const std::string& path, zip_t* source,
                      const std::map<zip_uint64_t, const std::string*>& replacements)
{
    std::map<zip_uint64_t, DeflatedBytes> deflated;
    for (const auto& [index, bytes] : replacements)
        deflated.emplace(index, deflateWhole(*bytes));
    const std::time_t now = std::time(nullptr);
    common::FileHandle file;
    ZipArchivePtr target = openTarget(path, file);
    const auto count = static_cast<zip_uint64_t>(zip_get_num_entries(source, 0));
    for (zip_uint64_t index = 0; index < count; ++index) {
        const char* name = zip_get_name(source, index, ZIP_FL_ENC_RAW);
        check(name != nullptr, source);
        const auto replacement = deflated.find(index);
        if (replacement != deflated.end())
            addReplacedEntry(source, index, name, replacement->second, now, target.get());
        else
            copyEntryAsStored(source, index, name, target.get());
    }
    if (zip_close(target.get()) != 0)
        throwWriteFailure(zip_get_error(target.get()));
    target.release();
}

} // namespace glyphmere::docengine
