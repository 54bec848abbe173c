// The engine's libraries as scripts/build-windows-deps.sh builds them for Windows: each does, in a
// Windows program, what the engine asks of it.
#include <gtest/gtest.h>
#include <libdeflate.h>
#include <pugixml.hpp>
#include <zip.h>
#include <zlib.h>

#include <cstdint>
#include <filesystem>
#include <memory>
#include <sstream>
#include <string>
#include <vector>

namespace {

namespace fs = std::filesystem;

const std::string documentXml =
    R"(<?xml version="1.0" encoding="UTF-8" standalone="yes"?>)"
    R"(<w:document xmlns:w="http://schemas.openxmlformats.org/wordprocessingml/2006/main"><w:body>)"
    R"(<w:p><w:r><w:rPr><w:rFonts w:ascii="Calibri" w:hAnsi="Calibri"/></w:rPr><w:t>Grüße, 世界</w:t></w:r></w:p>)"
    R"(</w:body></w:document>)";

std::string utf8(const fs::path& path)
{
    const std::u8string name = path.u8string();
    return {name.begin(), name.end()};
}

// A folder of its own under the temporary folder, with a name outside any ANSI code page.
class TemporaryFolder {
public:
    TemporaryFolder() : path_(fs::temp_directory_path() / fs::path(u8"glyphmere-deps-check-Ωμέγα-文档"))
    {
        fs::remove_all(path_);
        fs::create_directories(path_);
    }
    ~TemporaryFolder() { fs::remove_all(path_); }
    TemporaryFolder(const TemporaryFolder&) = delete;
    TemporaryFolder& operator=(const TemporaryFolder&) = delete;
    const fs::path& path() const { return path_; }

private:
    fs::path path_;
};

std::string readEntry(zip_t* archive, const char* name)
{
    zip_stat_t stat;
    if (zip_stat(archive, name, 0, &stat) != 0)
        return "(no entry " + std::string(name) + ")";
    std::string content(stat.size, '\0');
    zip_file_t* file = zip_fopen(archive, name, 0);
    if (file == nullptr)
        return "(cannot open " + std::string(name) + ")";
    const zip_int64_t read = zip_fread(file, content.data(), content.size());
    zip_fclose(file);
    if (read != static_cast<zip_int64_t>(content.size()))
        return "(short read of " + std::string(name) + ")";
    return content;
}

std::int32_t compressionOf(zip_t* archive, const char* name)
{
    zip_stat_t stat;
    return zip_stat(archive, name, 0, &stat) == 0 ? stat.comp_method : -1;
}

void addEntry(zip_t* archive, const char* name, const std::string& content, std::int32_t method)
{
    zip_source_t* source = zip_source_buffer(archive, content.data(), content.size(), 0);
    ASSERT_NE(source, nullptr) << zip_strerror(archive);
    const zip_int64_t index = zip_file_add(archive, name, source, ZIP_FL_ENC_UTF_8);
    if (index < 0)
        zip_source_free(source);
    ASSERT_GE(index, 0) << zip_strerror(archive);
    ASSERT_EQ(zip_set_file_compression(archive, static_cast<zip_uint64_t>(index), method, 0), 0);
}

TEST(Libzip, WritesAndReopensAPackageByAUnicodeName)
{
    TemporaryFolder folder;
    const std::string path = utf8(folder.path() / fs::path(u8"документ.docx"));
    const std::string mimetype = "application/vnd.openxmlformats-officedocument";

    int error = 0;
    zip_t* archive = zip_open(path.c_str(), ZIP_CREATE | ZIP_EXCL, &error);
    ASSERT_NE(archive, nullptr) << "zip_open error " << error;
    addEntry(archive, "mimetype", mimetype, ZIP_CM_STORE);
    addEntry(archive, "word/document.xml", documentXml, ZIP_CM_DEFLATE);
    ASSERT_EQ(zip_close(archive), 0) << zip_strerror(archive);
    ASSERT_TRUE(fs::exists(folder.path() / fs::path(u8"документ.docx")));

    archive = zip_open(path.c_str(), ZIP_RDONLY | ZIP_CHECKCONS, &error);
    ASSERT_NE(archive, nullptr) << "zip_open error " << error;
    EXPECT_EQ(zip_get_num_entries(archive, 0), 2);
    EXPECT_EQ(readEntry(archive, "mimetype"), mimetype);
    EXPECT_EQ(readEntry(archive, "word/document.xml"), documentXml);
    EXPECT_EQ(compressionOf(archive, "mimetype"), ZIP_CM_STORE);
    EXPECT_EQ(compressionOf(archive, "word/document.xml"), ZIP_CM_DEFLATE);
    zip_discard(archive);
}

// Deflate through zlib and stored entries are all the engine reads; no other compression library and no
// cryptography library is built in.
TEST(Libzip, IsBuiltWithDeflateOnlyAndWithoutAes)
{
    EXPECT_TRUE(zip_compression_method_supported(ZIP_CM_DEFLATE, 1));
    EXPECT_TRUE(zip_compression_method_supported(ZIP_CM_STORE, 1));
    EXPECT_FALSE(zip_compression_method_supported(ZIP_CM_BZIP2, 0));
    EXPECT_FALSE(zip_compression_method_supported(ZIP_CM_XZ, 0));
    EXPECT_FALSE(zip_encryption_method_supported(ZIP_EM_AES_256, 0));
}

TEST(Pugixml, ParsesChangesAndWritesADocumentPart)
{
    pugi::xml_document document;
    const pugi::xml_parse_result result = document.load_buffer(documentXml.data(), documentXml.size());
    ASSERT_TRUE(result) << result.description();

    pugi::xml_node fonts = document.select_node("//w:rFonts").node();
    ASSERT_TRUE(fonts);
    EXPECT_STREQ(fonts.attribute("w:ascii").value(), "Calibri");
    EXPECT_STREQ(document.select_node("//w:t").node().text().get(), "Grüße, 世界");

    fonts.attribute("w:ascii").set_value("Liberation Serif");
    std::ostringstream written;
    document.save(written, "", pugi::format_raw);
    EXPECT_NE(written.str().find(R"(w:ascii="Liberation Serif")"), std::string::npos);
}

std::vector<unsigned char> bytesOf(const std::string& text) { return {text.begin(), text.end()}; }

std::string repeatedDocument()
{
    std::string text;
    for (int i = 0; i < 200; ++i)
        text += documentXml;
    return text;
}

TEST(Libdeflate, DeflatesWhatZlibInflatesAndTheOtherWayRound)
{
    const std::string original = repeatedDocument();

    std::unique_ptr<libdeflate_compressor, decltype(&libdeflate_free_compressor)> compressor(
        libdeflate_alloc_compressor(6), libdeflate_free_compressor);
    ASSERT_NE(compressor, nullptr);
    std::vector<unsigned char> deflated(libdeflate_deflate_compress_bound(compressor.get(), original.size()));
    const size_t deflatedSize = libdeflate_deflate_compress(compressor.get(), original.data(), original.size(),
                                                            deflated.data(), deflated.size());
    ASSERT_GT(deflatedSize, 0u);
    EXPECT_LT(deflatedSize, original.size() / 10);

    // zlib (raw deflate, as in a zip entry) reads libdeflate's output.
    std::vector<unsigned char> inflated(original.size());
    z_stream stream{};
    ASSERT_EQ(inflateInit2(&stream, -MAX_WBITS), Z_OK);
    stream.next_in = deflated.data();
    stream.avail_in = static_cast<uInt>(deflatedSize);
    stream.next_out = inflated.data();
    stream.avail_out = static_cast<uInt>(inflated.size());
    EXPECT_EQ(inflate(&stream, Z_FINISH), Z_STREAM_END);
    EXPECT_EQ(stream.total_out, original.size());
    inflateEnd(&stream);
    EXPECT_EQ(inflated, bytesOf(original));

    // And libdeflate reads zlib's.
    std::vector<unsigned char> fromZlib(compressBound(static_cast<uLong>(original.size())));
    stream = z_stream{};
    ASSERT_EQ(deflateInit2(&stream, 6, Z_DEFLATED, -MAX_WBITS, 8, Z_DEFAULT_STRATEGY), Z_OK);
    stream.next_in = reinterpret_cast<Bytef*>(const_cast<char*>(original.data()));
    stream.avail_in = static_cast<uInt>(original.size());
    stream.next_out = fromZlib.data();
    stream.avail_out = static_cast<uInt>(fromZlib.size());
    ASSERT_EQ(deflate(&stream, Z_FINISH), Z_STREAM_END);
    const size_t zlibSize = stream.total_out;
    deflateEnd(&stream);

    std::unique_ptr<libdeflate_decompressor, decltype(&libdeflate_free_decompressor)> decompressor(
        libdeflate_alloc_decompressor(), libdeflate_free_decompressor);
    ASSERT_NE(decompressor, nullptr);
    std::vector<unsigned char> restored(original.size());
    size_t restoredSize = 0;
    ASSERT_EQ(libdeflate_deflate_decompress(decompressor.get(), fromZlib.data(), zlibSize, restored.data(),
                                            restored.size(), &restoredSize),
              LIBDEFLATE_SUCCESS);
    EXPECT_EQ(restoredSize, original.size());
    EXPECT_EQ(restored, bytesOf(original));
}

} // namespace
