#include "PackageView.h"

#include <expat.h>
#include <libdeflate.h>
#include <zip.h>

#include <memory>

namespace glyphmere::fuzz {

namespace {

struct ArchiveClose {
    void operator()(zip_t* archive) const { zip_discard(archive); }
};
using Archive = std::unique_ptr<zip_t, ArchiveClose>;

bool endsWith(std::string_view name, std::string_view suffix)
{
    if (name.size() < suffix.size())
        return false;
    for (std::size_t i = 0; i < suffix.size(); ++i)
        if (std::tolower(static_cast<unsigned char>(name[name.size() - suffix.size() + i])) != suffix[i])
            return false;
    return true;
}

void collectText(void* text, const XML_Char* data, int length)
{
    static_cast<std::string*>(text)->append(data, length);
}

void checkMarkup(PackagePart& part)
{
    XML_Parser parser = XML_ParserCreateNS(nullptr, '\x01');
    XML_SetUserData(parser, &part.text);
    XML_SetCharacterDataHandler(parser, collectText);
    if (XML_Parse(parser, part.bytes.data(), static_cast<int>(part.bytes.size()), XML_TRUE) == XML_STATUS_ERROR) {
        part.xmlProblem = std::string(XML_ErrorString(XML_GetErrorCode(parser))) + " at byte " +
                          std::to_string(XML_GetCurrentByteIndex(parser));
        part.text.clear();
    }
    XML_ParserFree(parser);
}

// The entry's stored bytes inflated to the exact end of their stream, and checked against its CRC.
std::optional<std::string> strictRead(zip_t* archive, zip_uint64_t index, std::string& problem)
{
    zip_stat_t status;
    if (zip_stat_index(archive, index, 0, &status) != 0 || status.size > (64u << 20)) {
        problem = "an entry cannot be described or is huge";
        return std::nullopt;
    }
    std::string stored(status.comp_size, '\0');
    zip_file_t* file = zip_fopen_index(archive, index, ZIP_FL_COMPRESSED);
    const zip_int64_t got = file ? zip_fread(file, stored.data(), stored.size()) : -1;
    if (file)
        zip_fclose(file);
    if (got != static_cast<zip_int64_t>(stored.size())) {
        problem = "an entry's stored bytes cannot be read";
        return std::nullopt;
    }
    std::string bytes(status.size, '\0');
    if (status.comp_method == ZIP_CM_DEFLATE) {
        libdeflate_decompressor* inflater = libdeflate_alloc_decompressor();
        std::size_t in = 0, out = 0;
        const auto result = libdeflate_deflate_decompress_ex(inflater, stored.data(), stored.size(), bytes.data(),
                                                             bytes.size(), &in, &out);
        libdeflate_free_decompressor(inflater);
        if (result != LIBDEFLATE_SUCCESS || in != stored.size() || out != bytes.size())
            problem = std::string("the entry ") + status.name + " does not inflate to its size";
    } else if (status.comp_method == ZIP_CM_STORE) {
        if (stored.size() != bytes.size())
            problem = std::string("the stored entry ") + status.name + " has two sizes";
        bytes = stored;
    } else {
        problem = "an entry has an unknown method";
    }
    if (problem.empty() && libdeflate_crc32(0, bytes.data(), bytes.size()) != status.crc)
        problem = std::string("the entry ") + status.name + " fails its CRC";
    if (!problem.empty())
        return std::nullopt;
    return bytes;
}

std::optional<std::string> ordinaryRead(zip_t* archive, zip_uint64_t index)
{
    zip_stat_t status;
    if (zip_stat_index(archive, index, 0, &status) != 0 || status.size > (64u << 20))
        return std::nullopt;
    std::string bytes(status.size, '\0');
    zip_file_t* file = zip_fopen_index(archive, index, 0);
    const zip_int64_t got = file ? zip_fread(file, bytes.data(), bytes.size()) : -1;
    if (file)
        zip_fclose(file);
    if (got != static_cast<zip_int64_t>(bytes.size()))
        return std::nullopt;
    return bytes;
}

} // namespace

PackageView viewPackage(std::string_view bytes, bool strict)
{
    PackageView view;
    zip_error_t error;
    zip_error_init(&error);
    zip_source_t* source = zip_source_buffer_create(bytes.data(), bytes.size(), 0, &error);
    Archive archive(source ? zip_open_from_source(source, ZIP_RDONLY | (strict ? ZIP_CHECKCONS : 0), &error) : nullptr);
    if (!archive) {
        view.problem = std::string("the package does not open: ") + zip_error_strerror(&error);
        if (source)
            zip_source_free(source);
        zip_error_fini(&error);
        return view;
    }
    zip_error_fini(&error);
    const zip_int64_t count = zip_get_num_entries(archive.get(), 0);
    for (zip_uint64_t index = 0; index < static_cast<zip_uint64_t>(count); ++index) {
        const char* name = zip_get_name(archive.get(), index, ZIP_FL_ENC_RAW);
        std::string problem;
        auto read = strict ? strictRead(archive.get(), index, problem) : ordinaryRead(archive.get(), index);
        if (!name || !read) {
            view.problem = problem.empty() ? "an entry cannot be read" : problem;
            continue;
        }
        PackagePart part{std::move(*read), endsWith(name, ".xml") || endsWith(name, ".rels"), {}, {}};
        if (part.isXml)
            checkMarkup(part);
        view.parts.emplace(name, std::move(part));
    }
    return view;
}

} // namespace glyphmere::fuzz
