#pragma once

#include "docengine/document/EditableDocument.h"

#include "platform/Variant.h"

#include <memory>
#include <optional>
#include <string>

namespace glyphmere::docengine {

// The state of one engine instance behind its automation objects: the open document, the story being
// viewed, the selection, the view type and the application options. Every failure is an
// AutomationError with a readable description, and a refused call changes nothing.
class EngineSession {
public:
    using Clock = UtcClock;

    explicit EngineSession(DocumentOpener opener, Clock utcNow = {});
    ~EngineSession();

    // Opened read-only, the document can be changed in memory but not saved.
    void open(const std::string& path, bool readOnly = false);
    bool hasDocument() const { return m_document != nullptr; }
    const std::string& documentPath() const;
    bool isReadOnly() const;
    DocumentFormat documentFormat() const;

    void selectWholeStory();
    void setFontName(const platform::Variant& value);
    void setFontSize(const platform::Variant& value);

    int viewType() const;
    void setViewType(const platform::Variant& value);
    int seekView() const { return static_cast<int>(m_seekView); }
    void setSeekView(const platform::Variant& value);

    void saveAs(const std::string& path);
    // Releases the document without saving; the instance goes on and may open another.
    void close();
    // Releases the document without saving; later calls fail.
    void quit();
    // Throws when the instance has quit.
    void checkRunning() const;

    bool displayAlerts = true;
    bool visible = false; // the engine shows nothing either way
    int automationSecurity = 1;

private:
    enum class Seek { MainDocument = 0, CurrentPageHeader = 9, CurrentPageFooter = 10 };

    void requireDocument() const;
    void applyToSelection(const FontChange& change);
    StorySelection& selection();
    void clearSelection();

    DocumentOpener m_opener;
    Clock m_utcNow;
    std::unique_ptr<EditableDocument> m_document;
    bool m_readOnly = false;
    std::optional<int> m_viewType; // kept in memory once written
    Seek m_seekView = Seek::MainDocument;
    bool m_wholeStorySelected = false;
    // The whole story, collected by the first change after WholeStory and kept for the next ones.
    std::unique_ptr<StorySelection> m_selection;
    bool m_quit = false;
};

} // namespace glyphmere::docengine
