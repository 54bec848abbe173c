#include "docengine/ooxml/LibzipArchive.h"

#include "common/SystemErrorText.h"
#include "docengine/EngineError.h"
#include "docengine/EngineMessages.h"
#include "docengine/ooxml/HandleSource.h"
#include "docengine/ooxml/ZipCentralDirectory.h"
#include "docengine/ooxml/ZipEntryInflate.h"
#include "docengine/ooxml/ZipEntryRules.h"

#include <set>

namespace glyphmere::docengine {

namespace {

constexpr std::size_t kReadChunk = 64 * 1024;

zip_stat_t statEntry(zip_t* archive, zip_uint64_t index)
{
    zip_stat_t status;
    zip_stat_init(&status);
    if (zip_stat_index(archive, index, 0, &status) != 0)
        throw EngineError(messages::damaged(zipErrorText(zip_get_error(archive))));
    return status;
}

void checkEntry(zip_t* archive, zip_uint64_t index, const std::string& name, std::set<std::string>& keys)
{
    if (const auto problem = unsafeEntryNameProblem(name))
        throw EngineError(messages::damaged(*problem));
    if (!keys.insert(entryNameKey(name)).second)
        throw EngineError(messages::damaged("the entry name \"" + name + "\" occurs more than once"));
    const zip_stat_t status = statEntry(archive, index);
    if ((status.valid & ZIP_STAT_ENCRYPTION_METHOD) && status.encryption_method != ZIP_EM_NONE)
        throw EngineError(messages::kEncryptedEntries);
}

// A reader that honours the Unicode Path field and one that does not must find the entry under one name.
void checkReadAlike(const StoredEntryName& stored, const std::string& reported)
{
    const std::string& other = stored.unicodePath.value_or(reported);
    if (other != stored.name || reported != stored.name) {
        const std::string& named = other != stored.name ? other : reported;
        throw EngineError(messages::damaged("the entry \"" + stored.name + "\" is also named \"" + named + "\""));
    }
}

// Inflates the open entry chunk by chunk into consume, never past `limit` bytes plus the one that tells
// it ran over. True when the data ended within the limit.
template <typename Consume>
bool inflateAtMost(zip_file_t* file, std::uint64_t limit, Consume consume)
{
    char chunk[kReadChunk];
    std::uint64_t total = 0;
    for (;;) {
        const zip_uint64_t wanted = std::min<std::uint64_t>(kReadChunk, limit + 1 - total);
        const zip_int64_t got = zip_fread(file, chunk, wanted);
        if (got < 0)
            throw EngineError(messages::damaged(zipErrorText(zip_file_get_error(file))));
        if (got == 0)
            return true;
        consume(chunk, static_cast<std::size_t>(got));
        total += static_cast<std::uint64_t>(got);
        if (total > limit)
            return false;
    }
}

using OpenEntry = std::unique_ptr<zip_file_t, int (*)(zip_file_t*)>;

OpenEntry openEntry(zip_t* archive, zip_uint64_t index)
{
    OpenEntry file(zip_fopen_index(archive, index, 0), zip_fclose);
    if (!file)
        throw EngineError(messages::damaged(zipErrorText(zip_get_error(archive))));
    return file;
}

std::uint64_t claimedSize(const zip_stat_t& status)
{
    if (!(status.valid & ZIP_STAT_SIZE))
        throw EngineError(messages::damaged("an entry's size is unknown"));
    return status.size;
}

[[noreturn]] void throwOverlong(const zip_stat_t& status)
{
    throw EngineError(
        messages::damaged("the entry \"" + std::string(status.name) + "\" holds more data than its header says"));
}

// A stream that ends early can still match its checksum (the size is not part of it), and a copy would carry
// the wrong size into the saved package.
void requireClaimedSize(const zip_stat_t& status, std::uint64_t inflated)
{
    if (inflated != status.size)
        throw EngineError(
            messages::damaged("the entry \"" + std::string(status.name) + "\" holds less data than its header says"));
}

} // namespace

std::string zipErrorText(zip_error_t* error)
{
    if (zip_error_system_type(error) == ZIP_ET_SYS)
        return common::systemErrorText(zip_error_code_system(error));
    return common::asClause(zip_error_strerror(error));
}

std::string openFailureDetail(zip_error_t* error)
{
    switch (zip_error_code_zip(error)) {
    case ZIP_ER_NOZIP:
        return "no zip directory was found; the file may be truncated";
    case ZIP_ER_INCONS:
        return "the zip directory is inconsistent";
    default:
        return zipErrorText(error);
    }
}

ZipArchivePtr openArchiveOverSource(const std::function<zip_source_t*(zip_error_t*)>& makeSource, int flags,
                                    std::string (*describeFailure)(zip_error_t*))
{
    zip_error_t error;
    zip_error_init(&error);
    zip_source_t* source = makeSource(&error);
    zip_t* archive = source ? zip_open_from_source(source, flags, &error) : nullptr;
    if (!archive) {
        if (source)
            zip_source_free(source);
        const std::string reason = describeFailure(&error);
        zip_error_fini(&error);
        throw EngineError(reason);
    }
    zip_error_fini(&error);
    return ZipArchivePtr(archive);
}

ZipArchivePtr openZipArchive(const common::FileHandle& file)
{
    const auto makeSource = [&file](zip_error_t* error) {
        try {
            return handleSource(file, error);
        } catch (const common::SystemError& failure) {
            throw EngineError(messages::cannotOpen(failure.what()));
        }
    };
    return openArchiveOverSource(makeSource, ZIP_RDONLY,
                                 [](zip_error_t* error) { return messages::damaged(openFailureDetail(error)); });
}

std::vector<std::string> checkedEntryNames(zip_t* archive, const std::vector<StoredEntryName>& stored)
{
    const zip_int64_t count = zip_get_num_entries(archive, 0);
    if (count <= 0)
        throw EngineError(messages::kNotAWordDocument);
    if (stored.size() != static_cast<zip_uint64_t>(count))
        throw EngineError(messages::damaged("the zip directory is inconsistent"));
    std::vector<std::string> names;
    std::set<std::string> keys;
    for (zip_uint64_t index = 0; index < static_cast<zip_uint64_t>(count); ++index) {
        const char* name = zip_get_name(archive, index, ZIP_FL_ENC_RAW);
        if (!name)
            throw EngineError(messages::damaged(zipErrorText(zip_get_error(archive))));
        checkReadAlike(stored[index], name);
        checkEntry(archive, index, name, keys);
        names.emplace_back(name);
    }
    return names;
}

std::string readZipEntry(zip_t* archive, zip_uint64_t index, ReadBudget& budget)
{
    const zip_stat_t status = statEntry(archive, index);
    const std::uint64_t claimed = claimedSize(status);
    if (claimed > budget.entryLimit || claimed > budget.totalLimit - budget.used)
        throw EngineError(messages::kTooLarge);

    std::string bytes(static_cast<std::size_t>(claimed), '\0');
    if (inflateEntryWhole(archive, index, status, bytes.data())) {
        budget.used += bytes.size();
        return bytes;
    }
    // Anything unusual is read as it always was, which also words the reason it is refused.
    bytes.clear();
    const OpenEntry file = openEntry(archive, index);
    const auto keep = [&bytes](const char* chunk, std::size_t size) { bytes.append(chunk, size); };
    if (!inflateAtMost(file.get(), claimed, keep))
        throwOverlong(status);
    requireClaimedSize(status, bytes.size());
    budget.used += bytes.size();
    return bytes;
}

void verifyZipEntry(zip_t* archive, zip_uint64_t index, ReadBudget& budget)
{
    const zip_stat_t status = statEntry(archive, index);
    const std::uint64_t claimed = claimedSize(status);
    if (claimed > budget.totalLimit - budget.used)
        throw EngineError(messages::kTooLarge);
    if (checkEntryWhole(archive, index, status)) {
        budget.used += claimed;
        return;
    }
    const OpenEntry file = openEntry(archive, index);
    std::uint64_t inflated = 0;
    if (!inflateAtMost(file.get(), claimed, [&inflated](const char*, std::size_t size) { inflated += size; }))
        throwOverlong(status);
    requireClaimedSize(status, inflated);
    budget.used += claimed;
}

} // namespace glyphmere::docengine
