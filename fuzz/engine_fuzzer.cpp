// libFuzzer target for the built-in document engine. Each input becomes a document file in a private
// temporary folder and goes through the program's own restyle (word::RestyleDocument over the engine, as
// the window and the batch run it): open, font pass on the main text, save; then again with the current
// page's header and footer passes. Refusals are fine; what must hold:
//   - a refused or failed document is byte-identical to what it was before the attempt;
//   - a saved document opens again, and passes the target's own strict look against what it was before
//     (SavedDocumentCheck: the engine's reader is as lenient as the one that accepted the input, so it
//     cannot tell);
//   - nothing but the document is left in the folder (no temporary files).
// Any breach aborts, so libFuzzer keeps the input like a crash. GLYPHMERE_FUZZ_BREACH, when set, limits
// the breaches that abort to those whose text holds it (how long one kind takes to find is then measured
// alone).
//
// Half of the mutations are structured (StructuredMutator: the fields the engine trusts), the rest
// libFuzzer's own.
//
// An input that starts like a zip or compound file is the file itself. Anything else is split at
// "\n#PART#\n" into document.xml, settings.xml, header1.xml and footer1.xml, which are packaged with
// correct checksums, so mutations reach the markup instead of dying at the zip layer.

#include "EngineRestyle.h"
#include "SavedDocumentCheck.h"
#include "StructuredMutator.h"

#include <zip.h>

#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <random>
#include <string>
#include <string_view>
#include <vector>

namespace {

namespace fs = std::filesystem;
using glyphmere::docengine::hostile::openRefusalOfEngine;
using glyphmere::docengine::hostile::restyleWithEngine;

constexpr std::string_view kPartSeparator = "\n#PART#\n";

const char* const kContentTypes =
    R"(<?xml version="1.0" encoding="UTF-8" standalone="yes"?>)"
    R"(<Types xmlns="http://schemas.openxmlformats.org/package/2006/content-types">)"
    R"(<Default Extension="rels" ContentType="application/vnd.openxmlformats-package.relationships+xml"/>)"
    R"(<Default Extension="xml" ContentType="application/xml"/>)"
    R"(<Override PartName="/word/document.xml" )"
    R"(ContentType="application/vnd.openxmlformats-officedocument.wordprocessingml.document.main+xml"/>)"
    R"(</Types>)";
const char* const kPackageRelationships =
    R"(<?xml version="1.0" encoding="UTF-8" standalone="yes"?>)"
    R"(<Relationships xmlns="http://schemas.openxmlformats.org/package/2006/relationships">)"
    R"(<Relationship Id="rId1" Target="word/document.xml" )"
    R"(Type="http://schemas.openxmlformats.org/officeDocument/2006/relationships/officeDocument"/>)"
    R"(</Relationships>)";
const char* const kDocumentRelationships =
    R"(<?xml version="1.0" encoding="UTF-8" standalone="yes"?>)"
    R"(<Relationships xmlns="http://schemas.openxmlformats.org/package/2006/relationships">)"
    R"(<Relationship Id="rS" Target="settings.xml" )"
    R"(Type="http://schemas.openxmlformats.org/officeDocument/2006/relationships/settings"/>)"
    R"(<Relationship Id="rH1" Target="header1.xml" )"
    R"(Type="http://schemas.openxmlformats.org/officeDocument/2006/relationships/header"/>)"
    R"(<Relationship Id="rF1" Target="footer1.xml" )"
    R"(Type="http://schemas.openxmlformats.org/officeDocument/2006/relationships/footer"/>)"
    R"(</Relationships>)";

[[noreturn]] void breach(const char* what)
{
    std::fprintf(stderr, "engine_fuzzer: %s\n", what);
    std::abort();
}

// The private folder, made on first use and removed when the fuzzer ends normally.
class PrivateFolder {
public:
    PrivateFolder()
    {
        std::string pattern = (fs::temp_directory_path() / "glyphmere-fuzz-XXXXXX").string();
        if (!mkdtemp(pattern.data()))
            breach("cannot make the private temporary folder");
        m_path = pattern;
    }
    ~PrivateFolder()
    {
        std::error_code ignored;
        fs::remove_all(m_path, ignored);
    }
    PrivateFolder(const PrivateFolder&) = delete;
    PrivateFolder& operator=(const PrivateFolder&) = delete;

    const fs::path& path() const { return m_path; }

private:
    fs::path m_path;
};

std::string readBytes(const fs::path& path)
{
    std::ifstream in(path, std::ios::binary);
    return {std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>()};
}

void writeBytes(const fs::path& path, std::string_view bytes)
{
    std::ofstream out(path, std::ios::binary | std::ios::trunc);
    out.write(bytes.data(), static_cast<std::streamsize>(bytes.size()));
    if (!out.good())
        breach("cannot write the document file");
}

std::vector<std::string_view> splitParts(std::string_view text)
{
    std::vector<std::string_view> parts;
    for (std::size_t at = text.find(kPartSeparator); at != std::string_view::npos && parts.size() < 3;
         at = text.find(kPartSeparator)) {
        parts.push_back(text.substr(0, at));
        text.remove_prefix(at + kPartSeparator.size());
    }
    parts.push_back(text);
    return parts;
}

void packageParts(const fs::path& path, std::string_view text)
{
    static const char* const kPartNames[] = {"word/document.xml", "word/settings.xml", "word/header1.xml",
                                             "word/footer1.xml"};
    std::vector<std::pair<std::string, std::string_view>> entries{
        {"[Content_Types].xml", kContentTypes},
        {"_rels/.rels", kPackageRelationships},
        {"word/_rels/document.xml.rels", kDocumentRelationships}};
    const auto parts = splitParts(text);
    for (std::size_t i = 0; i < parts.size(); ++i)
        entries.emplace_back(kPartNames[i], parts[i]);

    int error = 0;
    zip_t* archive = zip_open(path.c_str(), ZIP_CREATE | ZIP_TRUNCATE, &error);
    if (!archive)
        breach("cannot create the package");
    for (const auto& [name, bytes] : entries) {
        zip_source_t* source = zip_source_buffer(archive, bytes.data(), bytes.size(), 0);
        if (!source || zip_file_add(archive, name.c_str(), source, ZIP_FL_ENC_UTF_8) < 0)
            breach("cannot add a part to the package");
    }
    if (zip_close(archive) != 0)
        breach("cannot write the package");
}

bool isRawFile(std::string_view bytes) { return bytes.starts_with("PK") || bytes.starts_with("\xD0\xCF\x11\xE0"); }

void requireOnlyTheDocument(const fs::path& folder)
{
    std::size_t entries = 0;
    for ([[maybe_unused]] const auto& entry : fs::directory_iterator(folder))
        ++entries;
    if (entries != 1)
        breach("the folder holds more than the document after the run (a temporary file was left)");
}

void requireStrictLook(std::string_view before, const fs::path& document)
{
    const std::string found = glyphmere::fuzz::savedDocumentBreach(before, readBytes(document));
    if (found.empty())
        return;
    const char* only = std::getenv("GLYPHMERE_FUZZ_BREACH");
    if (!only || found.find(only) != std::string::npos)
        breach(found.c_str());
}

// One restyle; returns whether it saved. A failure must leave the file exactly as it was.
bool restyleOnce(const fs::path& document, bool headersAndFooters)
{
    const std::string before = readBytes(document);
    const std::string reason = restyleWithEngine(document.string(), headersAndFooters);
    requireOnlyTheDocument(document.parent_path());
    if (reason.empty()) {
        requireStrictLook(before, document);
        return true;
    }
    if (readBytes(document) != before)
        breach("a refused or failed document was changed on disk");
    return false;
}

} // namespace

extern "C" std::size_t LLVMFuzzerMutate(std::uint8_t* data, std::size_t size, std::size_t maxSize);

extern "C" std::size_t LLVMFuzzerCustomMutator(std::uint8_t* data, std::size_t size, std::size_t maxSize,
                                               unsigned int seed)
{
    std::minstd_rand random(seed);
    if (random() % 2 == 0) {
        if (const std::size_t mutated = glyphmere::fuzz::mutateStructure(data, size, maxSize, random))
            return mutated;
    }
    return LLVMFuzzerMutate(data, size, maxSize);
}

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size)
{
    static PrivateFolder folder;
    const fs::path document = folder.path() / "d.docx";
    const std::string_view input(reinterpret_cast<const char*>(data), size);
    if (isRawFile(input))
        writeBytes(document, input);
    else
        packageParts(document, input);

    if (restyleOnce(document, false) && !openRefusalOfEngine(document.string()).empty())
        breach("a document the engine saved does not open again");
    restyleOnce(document, true);

    std::error_code ignored;
    fs::remove(document, ignored);
    return 0;
}
