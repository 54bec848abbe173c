#include "package_test_support.h"

#include "docengine/EngineError.h"
#include "docengine/files/DocumentFileAccess.h"
#include "support/TestDocuments.h"
#include "support/ErrorText.h"

#include <gtest/gtest.h>
#include <zip.h>

#include <algorithm>
#include <cstring>
#include <filesystem>

namespace glyphmere::docengine::package_testing {

std::string openRefusal(const std::string& path)
{
    return testing_support::errorText<EngineError>([&] { ZipPackage::open(path); });
}

std::string saveRefusal(const ZipPackage& package, const std::map<std::string, std::string>& replaced)
{
    return testing_support::errorText<EngineError>([&] { package.saveReplacing(replaced); });
}

std::unique_ptr<ZipPackage> packageDeferringTo(SaveDeferral& deferral, const std::string& path,
                                               const common::FileOperations& operations)
{
    DocumentFileAccess access = DocumentFileAccess::open(path, operations);
    access.deferSavesTo(deferral);
    return ZipPackage::open(std::move(access));
}

void patchFile(const std::string& path, const std::string& from, const std::string& to)
{
    std::string bytes = testing_support::readFile(path);
    std::size_t replaced = 0;
    for (std::size_t at = bytes.find(from); at != std::string::npos; at = bytes.find(from, at + to.size())) {
        bytes.replace(at, from.size(), to);
        ++replaced;
    }
    ASSERT_GT(replaced, 0u) << "nothing to patch in " << path;
    testing_support::writeFile(path, bytes);
}

std::vector<StoredEntry> storedEntries(const std::string& path)
{
    std::vector<StoredEntry> entries;
    int error = 0;
    zip_t* archive = zip_open(path.c_str(), ZIP_RDONLY, &error);
    if (!archive) {
        ADD_FAILURE() << "cannot open " << path << " as a zip package";
        return entries;
    }
    for (zip_int64_t i = 0; i < zip_get_num_entries(archive, 0); ++i) {
        zip_stat_t stat;
        zip_stat_index(archive, i, ZIP_FL_ENC_RAW, &stat);
        StoredEntry entry{stat.name, stat.comp_method, stat.mtime, std::string(stat.comp_size, '\0')};
        zip_file_t* file = zip_fopen_index(archive, i, ZIP_FL_COMPRESSED);
        EXPECT_NE(file, nullptr) << stat.name;
        if (file) {
            EXPECT_EQ(zip_fread(file, entry.rawBytes.data(), entry.rawBytes.size()),
                      static_cast<zip_int64_t>(entry.rawBytes.size()));
            zip_fclose(file);
        }
        entries.push_back(entry);
    }
    zip_discard(archive);
    return entries;
}

std::string littleEndian(std::uint64_t value, std::size_t bytes)
{
    std::string text;
    for (std::size_t i = 0; i < bytes; ++i)
        text.push_back(static_cast<char>((value >> (8 * i)) & 0xFF));
    return text;
}

namespace {

void put(std::string& bytes, std::size_t at, std::uint64_t value, std::size_t width)
{
    bytes.replace(at, width, littleEndian(value, width));
}

constexpr std::uint32_t kNoEntry = 0xFFFFFFFF;

// An entry with no siblings; `child` is the first entry of a storage's tree.
void putDirectoryEntry(std::string& sector, std::size_t slot, const std::u16string& name, int type,
                       std::uint32_t child = kNoEntry)
{
    const std::size_t at = slot * 128;
    for (std::size_t i = 0; i < name.size(); ++i)
        put(sector, at + i * 2, name[i], 2);
    put(sector, at + 0x40, (name.size() + 1) * 2, 2);
    sector[at + 0x42] = static_cast<char>(type);
    put(sector, at + 0x44, kNoEntry, 4);
    put(sector, at + 0x48, kNoEntry, 4);
    put(sector, at + 0x4C, child, 4);
}

} // namespace

std::string compoundFile(const CompoundLayout& layout)
{
    std::string header(512, '\0');
    header.replace(0, 8, "\xD0\xCF\x11\xE0\xA1\xB1\x1A\xE1");
    put(header, 0x18, 0x3E, 2);
    put(header, 0x1A, 3, 2);
    put(header, 0x1C, 0xFFFE, 2);
    put(header, 0x1E, 9, 2);
    put(header, 0x20, 6, 2);
    put(header, 0x2C, 1, 4);
    put(header, 0x30, layout.firstDirectorySector, 4);
    put(header, 0x38, 0x1000, 4);
    put(header, 0x3C, 0xFFFFFFFE, 4);
    put(header, 0x44, 0xFFFFFFFE, 4);
    for (std::size_t slot = 0; slot < 109; ++slot)
        put(header, 0x4C + slot * 4, slot == 0 ? 0 : 0xFFFFFFFF, 4);

    std::string fat(512, '\xFF');
    put(fat, 0, 0xFFFFFFFD, 4);
    for (std::uint32_t sector = 1; sector <= layout.directorySectors; ++sector) {
        const bool last = sector == layout.directorySectors;
        put(fat, sector * 4, last ? (layout.chainLoops ? 1 : 0xFFFFFFFE) : sector + 1, 4);
    }
    std::string directory;
    for (std::uint32_t sector = 1; sector <= layout.directorySectors; ++sector) {
        std::string bytes(512, '\0');
        // Without a stream the root's tree leads back to the root: a malformed compound file.
        const std::uint32_t firstChild = layout.streamName.empty() ? 0 : (layout.directorySectors - 1) * 4 + 1;
        if (sector == 1)
            putDirectoryEntry(bytes, 0, u"Root Entry", 5, firstChild);
        if (sector == layout.directorySectors && !layout.streamName.empty())
            putDirectoryEntry(bytes, 1, layout.streamName, 2);
        directory += bytes;
    }
    return header + fat + directory;
}

// Streams `size` zero bytes into libzip without ever holding them, for a real zip bomb.
namespace {

zip_int64_t zeroSource(void* state, void* data, zip_uint64_t length, zip_source_cmd_t command)
{
    auto* remaining = static_cast<std::uint64_t*>(state);
    switch (command) {
    case ZIP_SOURCE_OPEN:
    case ZIP_SOURCE_CLOSE:
    case ZIP_SOURCE_FREE:
        return 0;
    case ZIP_SOURCE_READ: {
        const zip_uint64_t count = std::min<zip_uint64_t>(length, *remaining);
        std::memset(data, 0, count);
        *remaining -= count;
        return static_cast<zip_int64_t>(count);
    }
    case ZIP_SOURCE_STAT: {
        auto* stat = static_cast<zip_stat_t*>(data);
        zip_stat_init(stat);
        return sizeof(zip_stat_t);
    }
    case ZIP_SOURCE_ERROR:
        return 2 * sizeof(int);
    case ZIP_SOURCE_SUPPORTS:
        return zip_source_make_command_bitmap(ZIP_SOURCE_OPEN, ZIP_SOURCE_READ, ZIP_SOURCE_CLOSE, ZIP_SOURCE_STAT,
                                              ZIP_SOURCE_ERROR, ZIP_SOURCE_FREE, -1);
    default:
        return -1;
    }
}

} // namespace

void writeBombPackage(const std::string& path, std::uint64_t size, const std::string& entry)
{
    testing_support::writePackage(path, testing_support::minimalDocx("<w:p/>"));
    int error = 0;
    zip_t* archive = zip_open(path.c_str(), 0, &error);
    ASSERT_NE(archive, nullptr);
    std::uint64_t remaining = size;
    zip_source_t* source = zip_source_function(archive, zeroSource, &remaining);
    const zip_int64_t index = zip_file_add(archive, entry.c_str(), source, ZIP_FL_OVERWRITE);
    ASSERT_GE(index, 0);
    zip_set_file_compression(archive, static_cast<zip_uint64_t>(index), ZIP_CM_DEFLATE, 1);
    ASSERT_EQ(zip_close(archive), 0);
}

void writeMixedPackage(const std::string& path)
{
    testing_support::writePackage(path,
                                  testing_support::minimalDocx("<w:p><w:r><w:t>Hello</w:t></w:r></w:p>",
                                                               {{"word/media/image1.png", std::string(3000, '\x89')},
                                                                {"docProps/app.xml", "<Properties/>"}}));
    zip_t* archive = zip_open(path.c_str(), 0, nullptr);
    ASSERT_NE(archive, nullptr);
    for (zip_uint64_t i = 0; i < static_cast<zip_uint64_t>(zip_get_num_entries(archive, 0)); ++i)
        zip_file_set_mtime(archive, i, kOldTime, 0);
    zip_set_file_compression(archive, 4, ZIP_CM_STORE, 0);
    zip_file_set_comment(archive, 5, "kept", 4, 0);
    ASSERT_EQ(zip_close(archive), 0);
}

} // namespace glyphmere::docengine::package_testing
