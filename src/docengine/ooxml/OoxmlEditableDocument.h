#pragma once

#include "docengine/ooxml/PackageFile.h"
#include "docengine/ooxml/HeaderFooter.h"
#include "docengine/ooxml/WordprocessingDocument.h"
#include "docengine/document/EditableDocument.h"

#include <memory>
#include <optional>

namespace glyphmere::docengine {

// An Office Open XML document (.docx, .docm, .dotx, .dotm) as the engine edits it: the WordprocessingML
// document over its package file. When the document tracks formatting, every change is recorded as a
// revision, with the time from the clock.
class OoxmlEditableDocument final : public EditableDocument {
public:
    // Throws EngineError with the reason when the document is refused.
    OoxmlEditableDocument(std::unique_ptr<PackageFile> file, UtcClock utcNow);

    const std::string& path() const override { return m_file->path(); }
    DocumentFormat format() const override;
    int savedViewType() override;
    std::unique_ptr<StorySelection> select(ViewedStory story) override;
    std::vector<StoryChanges> restyle(StoryReach reach, bool styles, const FontChange& change) override;
    void save() override;

private:
    // Found once: the engine changes neither the sections nor the settings that decide them.
    const CurrentPageEntries& currentPage();

    std::unique_ptr<PackageFile> m_file;
    WordprocessingDocument m_document;
    UtcClock m_utcNow;
    std::optional<CurrentPageEntries> m_currentPage;
};

// Opens document files as Office Open XML documents: how tests give the engine packages held in memory.
DocumentOpener ooxmlOpener(PackageFileOpener files);

} // namespace glyphmere::docengine
