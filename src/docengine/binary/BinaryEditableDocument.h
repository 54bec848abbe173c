#pragma once

#include "docengine/binary/WordBinaryDocument.h"
#include "docengine/files/DocumentFileAccess.h"
#include "docengine/document/EditableDocument.h"

namespace glyphmere::docengine {

class FontDescriber;

// A Word 97-2003 document (.doc, .dot) as the engine edits it: the binary document read whole from its
// file, restyled in memory and written back over the file safely.
class BinaryEditableDocument final : public EditableDocument {
public:
    // Throws EngineError with the reason when the document is refused.
    BinaryEditableDocument(DocumentFileAccess access, const FontDescriber& fonts);

    const std::string& path() const override { return m_access.path(); }
    DocumentFormat format() const override
    {
        return m_document.isTemplate() ? DocumentFormat::Word97Template : DocumentFormat::Word97Document;
    }
    int savedViewType() override { return m_document.savedViewType(); }
    std::unique_ptr<StorySelection> select(ViewedStory story) override;
    // Refuses the styles option: the style sheet of a Word 97-2003 document is not edited.
    std::vector<StoryChanges> restyle(StoryReach reach, bool styles, const FontChange& change) override;
    void save() override;

private:
    DocumentFileAccess m_access;
    WordBinaryDocument m_document;
};

} // namespace glyphmere::docengine
