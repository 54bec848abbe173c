#include "package_test_support.h"

#include "docengine/EngineError.h"
#include "support/TestDocuments.h"

#include <gtest/gtest.h>
#include <zip.h>

#include <algorithm>
#include <filesystem>

namespace glyphmere::docengine::package_testing {

std::string openRefusal(const std::string& path)
{
    try {
        Package::open(path);
    } catch (const EngineError& error) {
        return error.what();
    }
    return "";
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

std::vector<std::string> folderListing(const std::string& folder)
{
    std::vector<std::string> names;
    for (const auto& entry : std::filesystem::directory_iterator(folder))
        names.push_back(entry.path().filename().string());
    std::sort(names.begin(), names.end());
    return names;
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

} // namespace glyphmere::docengine::package_testing
