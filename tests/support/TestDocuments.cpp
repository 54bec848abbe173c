#include "support/TestDocuments.h"

#include <gtest/gtest.h>
#include <zip.h>

namespace glyphmere::testing_support {

void writePackage(const std::string& path, const std::vector<PackageEntry>& entries)
{
    int error = 0;
    zip_t* archive = zip_open(path.c_str(), ZIP_CREATE | ZIP_TRUNCATE, &error);
    ASSERT_NE(archive, nullptr) << "cannot create " << path;
    for (const auto& [name, bytes] : entries) {
        zip_source_t* source = zip_source_buffer(archive, bytes.data(), bytes.size(), 0);
        ASSERT_NE(source, nullptr);
        ASSERT_GE(zip_file_add(archive, name.c_str(), source, ZIP_FL_ENC_UTF_8), 0) << name;
    }
    ASSERT_EQ(zip_close(archive), 0) << zip_strerror(archive);
}

std::vector<PackageEntry> readPackage(const std::string& path)
{
    std::vector<PackageEntry> entries;
    int error = 0;
    zip_t* archive = zip_open(path.c_str(), ZIP_RDONLY, &error);
    if (!archive) {
        ADD_FAILURE() << "cannot open " << path << " as a zip package";
        return entries;
    }
    const zip_int64_t count = zip_get_num_entries(archive, 0);
    for (zip_int64_t i = 0; i < count; ++i) {
        zip_stat_t stat;
        zip_stat_index(archive, i, 0, &stat);
        std::string bytes(stat.size, '\0');
        zip_file_t* file = zip_fopen_index(archive, i, 0);
        if (file) {
            zip_fread(file, bytes.data(), bytes.size());
            zip_fclose(file);
        }
        entries.emplace_back(stat.name, bytes);
    }
    zip_discard(archive);
    return entries;
}

std::vector<PackageEntry> minimalDocx(const std::string& bodyXml, const std::vector<PackageEntry>& extraParts,
                                      const std::string& extraDocumentRelationships)
{
    std::string contentTypes =
        R"(<?xml version="1.0" encoding="UTF-8" standalone="yes"?>)"
        R"(<Types xmlns="http://schemas.openxmlformats.org/package/2006/content-types">)"
        R"(<Default Extension="rels" ContentType="application/vnd.openxmlformats-package.relationships+xml"/>)"
        R"(<Default Extension="xml" ContentType="application/xml"/>)"
        R"(<Override PartName="/word/document.xml" ContentType="application/vnd.openxmlformats-officedocument.wordprocessingml.document.main+xml"/>)"
        R"(</Types>)";
    std::string packageRels =
        R"(<?xml version="1.0" encoding="UTF-8" standalone="yes"?>)"
        R"(<Relationships xmlns="http://schemas.openxmlformats.org/package/2006/relationships">)"
        R"(<Relationship Id="rId1" Type="http://schemas.openxmlformats.org/officeDocument/2006/relationships/officeDocument" Target="word/document.xml"/>)"
        R"(</Relationships>)";
    std::string document = R"(<?xml version="1.0" encoding="UTF-8" standalone="yes"?>)"
                           R"(<w:document xmlns:w="http://schemas.openxmlformats.org/wordprocessingml/2006/main" )"
                           R"(xmlns:r="http://schemas.openxmlformats.org/officeDocument/2006/relationships" )"
                           R"(xmlns:m="http://schemas.openxmlformats.org/officeDocument/2006/math" )"
                           R"(xmlns:mc="http://schemas.openxmlformats.org/markup-compatibility/2006">)"
                           R"(<w:body>)" +
                           bodyXml + R"(</w:body></w:document>)";
    std::string documentRels =
        R"(<?xml version="1.0" encoding="UTF-8" standalone="yes"?>)"
        R"(<Relationships xmlns="http://schemas.openxmlformats.org/package/2006/relationships">)" +
        extraDocumentRelationships + R"(</Relationships>)";

    std::vector<PackageEntry> entries{{"[Content_Types].xml", contentTypes},
                                      {"_rels/.rels", packageRels},
                                      {"word/document.xml", document},
                                      {"word/_rels/document.xml.rels", documentRels}};
    entries.insert(entries.end(), extraParts.begin(), extraParts.end());
    return entries;
}

} // namespace glyphmere::testing_support
