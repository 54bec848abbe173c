#pragma once

#include "docengine/document/FontChange.h"

#include <functional>
#include <memory>
#include <string>
#include <vector>

namespace glyphmere::docengine {

// The current UTC time, ISO 8601 ("2024-05-01T09:30:00Z"): when a change is made, for formats that record it.
using UtcClock = std::function<std::string()>;

// The stories that a view selects: the main text, or the header or footer of the current page.
enum class ViewedStory { MainText, CurrentPageHeader, CurrentPageFooter };

// Which stories a restyle reaches besides the main text.
enum class StoryReach {
    MainText,
    CurrentPageHeaderFooter, // the header and footer of the first page, as the window's passes find them
    AllStories,              // every header and footer, footnotes, endnotes, comments and every text box
};

// The file format a document was read in, which its save keeps: the engine never converts.
enum class DocumentFormat {
    Word97Document,       // .doc
    Word97Template,       // .dot
    Document,             // .docx
    MacroEnabledDocument, // .docm
    Template,             // .dotx
    MacroEnabledTemplate, // .dotm
};

// What a restyle changed (or, in a dry run, would change) in one story.
struct StoryChanges {
    std::string entry; // where the story is stored: the part "word/header1.xml"
    std::string story; // "main text", "header", "footer", "footnotes", "endnotes", "comments",
                       // "text boxes" or "styles"
    int runs = 0;      // run properties; for "styles", the changed property sets
    int paragraphMarks = 0;
};

// One story as a whole-story selection: every font change goes to all of it.
class StorySelection {
public:
    virtual ~StorySelection() = default;
    // False when the view has no such story (the current page has no header): every change is a no-op.
    virtual bool hasStory() const = 0;
    // Gives the selection the change; EngineError with the reason (nothing changed) when it cannot.
    virtual StoryCounts apply(const FontChange& change) = 0;
};

// A document opened by the engine, whatever its format: what the automation objects and the batch's
// restyle ask of it. Every failure is an EngineError with the reason, and a refused call changes nothing
// on disk.
class EditableDocument {
public:
    virtual ~EditableDocument() = default;
    // The path it was opened from, as given.
    virtual const std::string& path() const = 0;
    // The format as the content shows it (the main part's content type, or the binary header's template flag).
    virtual DocumentFormat format() const = 0;
    // Word's view type as the file records it (print layout, 3, when it records none).
    virtual int savedViewType() = 0;
    // The story that the view shows, read when this is called.
    virtual std::unique_ptr<StorySelection> select(ViewedStory story) = 0;
    // Gives every story that reach covers (and with styles, the document defaults and the styles) the
    // change, and lists them in order with what changed.
    virtual std::vector<StoryChanges> restyle(StoryReach reach, bool styles, const FontChange& change) = 0;
    // Writes the document over its own file safely.
    virtual void save() = 0;
};

// Opens the document at path, with the clock for the changes it records; EngineError with the reason.
using DocumentOpener =
    std::function<std::unique_ptr<EditableDocument>(const std::string& path, const UtcClock& utcNow)>;

} // namespace glyphmere::docengine
