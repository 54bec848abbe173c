#pragma once

#include "docengine/EngineError.h"
#include "docengine/ooxml/PackageFile.h"
#include "docengine/ooxml/OoxmlEditableDocument.h"
#include "support/TestDocuments.h"

#include <map>
#include <memory>
#include <string>
#include <vector>

namespace glyphmere::docengine::testing {

// Package entries held in memory, in order.
class InMemoryParts final : public PartSource {
public:
    explicit InMemoryParts(std::vector<testing_support::PackageEntry> entries)
    {
        for (auto& [name, bytes] : entries) {
            m_names.push_back(name);
            m_bytes[name] = bytes;
        }
    }

    const std::vector<std::string>& entryNames() const override { return m_names; }
    std::string read(std::string_view entry) const override
    {
        const auto found = m_bytes.find(std::string(entry));
        if (found == m_bytes.end())
            throw EngineError("no entry " + std::string(entry));
        return found->second;
    }

private:
    std::vector<std::string> m_names;
    std::map<std::string, std::string> m_bytes;
};

// What an in-memory document file was asked to save.
struct SaveLog {
    std::vector<std::map<std::string, std::string>> saves;
};

// A document file in memory that records every save instead of writing.
class InMemoryFile final : public PackageFile {
public:
    InMemoryFile(std::string path, std::vector<testing_support::PackageEntry> entries, std::shared_ptr<SaveLog> log)
        : m_path(std::move(path)), m_parts(std::move(entries)), m_log(std::move(log))
    {
    }

    const std::string& path() const override { return m_path; }
    const PartSource& parts() const override { return m_parts; }
    void saveReplacing(const std::map<std::string, std::string>& replaced) override
    {
        m_log->saves.push_back(replaced);
    }

private:
    std::string m_path;
    InMemoryParts m_parts;
    std::shared_ptr<SaveLog> m_log;
};

// Opens the given entries under any path except "missing.docx", which fails as a missing file does.
inline DocumentOpener inMemoryOpener(std::vector<testing_support::PackageEntry> entries, std::shared_ptr<SaveLog> log)
{
    return ooxmlOpener([entries, log](const std::string& path) -> std::unique_ptr<PackageFile> {
        if (path.ends_with("missing.docx"))
            throw EngineError("the document does not exist");
        return std::make_unique<InMemoryFile>(path, entries, log);
    });
}

// The main part's markup around a body, binding w:, r:, m:, mc: and wps: as Word does.
inline std::string documentXml(const std::string& body, const char* wordUri = testing_support::kWordNamespace)
{
    return std::string(R"(<?xml version="1.0" encoding="UTF-8" standalone="yes"?>)") + R"(<w:document xmlns:w=")" +
           wordUri +
           R"(" xmlns:r="http://schemas.openxmlformats.org/officeDocument/2006/relationships")"
           R"( xmlns:m="http://schemas.openxmlformats.org/officeDocument/2006/math")"
           R"( xmlns:mc="http://schemas.openxmlformats.org/markup-compatibility/2006")"
           R"( xmlns:wps="http://schemas.microsoft.com/office/word/2010/wordprocessingShape")"
           R"( mc:Ignorable="wps"><w:body>)" +
           body + "</w:body></w:document>";
}

// The inside of w:body in serialised main-part markup.
inline std::string bodyOf(const std::string& documentMarkup)
{
    const auto start = documentMarkup.find("<w:body>");
    const auto end = documentMarkup.rfind("</w:body>");
    if (start == std::string::npos || end == std::string::npos)
        return documentMarkup;
    return documentMarkup.substr(start + 8, end - start - 8);
}

inline std::string storyPart(const char* root)
{
    return std::string("<w:") + root +
           R"( xmlns:w="http://schemas.openxmlformats.org/wordprocessingml/2006/main"><w:p/></w:)" + root + ">";
}

// A document whose first section references default, first and even headers (header1..3) and a
// default footer, with the given extra section properties and settings.
inline std::vector<testing_support::PackageEntry> headedDocument(const std::string& sectionExtras,
                                                                 const std::string& settings,
                                                                 const std::string& references = "")
{
    const std::string section = "<w:sectPr>" +
                                (references.empty() ? std::string(R"(<w:headerReference w:type="default" r:id="rH1"/>)"
                                                                  R"(<w:headerReference w:type="first" r:id="rH2"/>)"
                                                                  R"(<w:headerReference w:type="even" r:id="rH3"/>)"
                                                                  R"(<w:footerReference w:type="default" r:id="rF1"/>)")
                                                    : references) +
                                sectionExtras + "</w:sectPr>";
    const std::string relationships =
        R"(<Relationship Id="rH1" Type="http://schemas.openxmlformats.org/officeDocument/2006/relationships/header" Target="header1.xml"/>)"
        R"(<Relationship Id="rH2" Type="http://schemas.openxmlformats.org/officeDocument/2006/relationships/header" Target="header2.xml"/>)"
        R"(<Relationship Id="rH3" Type="http://schemas.openxmlformats.org/officeDocument/2006/relationships/header" Target="header3.xml"/>)"
        R"(<Relationship Id="rF1" Type="http://schemas.openxmlformats.org/officeDocument/2006/relationships/footer" Target="footer1.xml"/>)"
        R"(<Relationship Id="rS" Type="http://schemas.openxmlformats.org/officeDocument/2006/relationships/settings" Target="settings.xml"/>)";
    return testing_support::minimalDocx(
        "<w:p/>" + section,
        {{"word/header1.xml", storyPart("hdr")},
         {"word/header2.xml", storyPart("hdr")},
         {"word/header3.xml", storyPart("hdr")},
         {"word/footer1.xml", storyPart("ftr")},
         {"word/settings.xml",
          R"(<w:settings xmlns:w="http://schemas.openxmlformats.org/wordprocessingml/2006/main">)" + settings +
              "</w:settings>"}},
        relationships);
}

} // namespace glyphmere::docengine::testing
