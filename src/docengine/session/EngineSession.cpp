#include "docengine/session/EngineSession.h"

#include "docengine/EngineError.h"
#include "docengine/session/FontValues.h"

#include "platform/AutomationError.h"
#include "platform/NumberText.h"

#include <cmath>
#include <filesystem>

namespace glyphmere::docengine {
namespace {

constexpr int kPrintLayoutView = 3;

// A whole number from an integer, a double or numeric text; nullopt for anything else.
std::optional<int> wholeNumber(const platform::Variant& value)
{
    using Kind = platform::Variant::Kind;
    std::optional<double> number;
    if (value.kind() == Kind::Int32 || value.kind() == Kind::Double)
        number = value.toDouble();
    else if (value.kind() == Kind::Text)
        number = platform::parseNumberText(value.toText());
    if (!number || std::trunc(*number) != *number || !(std::fabs(*number) < 1e9))
        return std::nullopt;
    return static_cast<int>(*number);
}

// Engine failures reach the caller as automation errors with the same reason.
template <typename Action>
auto translatingEngineErrors(Action action)
{
    try {
        return action();
    } catch (const EngineError& error) {
        throw platform::AutomationError(error.what());
    }
}

} // namespace

EngineSession::EngineSession(DocumentOpener opener, Clock utcNow)
    : m_opener(std::move(opener)), m_utcNow(std::move(utcNow))
{
}

EngineSession::~EngineSession() = default;

void EngineSession::checkRunning() const
{
    if (m_quit)
        throw platform::AutomationError("the Word.Application instance has quit");
}

void EngineSession::requireDocument() const
{
    if (!m_document)
        throw platform::AutomationError("no document is open");
}

void EngineSession::open(const std::string& path, bool readOnly)
{
    if (m_document)
        throw platform::AutomationError("the built-in engine keeps one document open per instance");
    translatingEngineErrors([&] { m_document = m_opener(path, m_utcNow); });
    m_readOnly = readOnly;
    m_viewType.reset();
    m_seekView = Seek::MainDocument;
    clearSelection();
}

const std::string& EngineSession::documentPath() const
{
    requireDocument();
    return m_document->path();
}

bool EngineSession::isReadOnly() const
{
    requireDocument();
    return m_readOnly;
}

DocumentFormat EngineSession::documentFormat() const
{
    requireDocument();
    return m_document->format();
}

void EngineSession::selectWholeStory()
{
    requireDocument();
    clearSelection(); // a new selection: the story is collected afresh
    m_wholeStorySelected = true;
}

void EngineSession::setFontName(const platform::Variant& value)
{
    requireDocument();
    applyToSelection(FontChange{checkedFontName(value), std::nullopt});
}

void EngineSession::setFontSize(const platform::Variant& value)
{
    requireDocument();
    applyToSelection(FontChange{std::nullopt, halfPointsFromSize(value)});
}

// Without a whole-story selection the selection is an insertion point, whose formatting is not kept.
void EngineSession::applyToSelection(const FontChange& change)
{
    if (!m_wholeStorySelected)
        return;
    // Without such a header or footer on the current page, the change is a no-op.
    translatingEngineErrors([&] { selection().apply(change); });
}

// Collected on the first change rather than by WholeStory itself, so that a story that cannot be read
// fails the change, as it always has.
StorySelection& EngineSession::selection()
{
    if (!m_selection) {
        ViewedStory story = ViewedStory::MainText;
        if (m_seekView == Seek::CurrentPageHeader)
            story = ViewedStory::CurrentPageHeader;
        else if (m_seekView == Seek::CurrentPageFooter)
            story = ViewedStory::CurrentPageFooter;
        m_selection = m_document->select(story);
    }
    return *m_selection;
}

void EngineSession::clearSelection()
{
    m_wholeStorySelected = false;
    m_selection.reset();
}

int EngineSession::viewType() const
{
    requireDocument();
    return m_viewType ? *m_viewType : translatingEngineErrors([&] { return m_document->savedViewType(); });
}

void EngineSession::setViewType(const platform::Variant& value)
{
    requireDocument();
    const std::optional<int> type = wholeNumber(value);
    if (!type || *type < 1 || *type > 8)
        throw platform::AutomationError("the view type must be a whole number from 1 to 8");
    m_viewType = *type;
    if (*type != kPrintLayoutView && m_seekView != Seek::MainDocument) {
        // Headers and footers are shown only in print layout: leaving it returns to the main text.
        m_seekView = Seek::MainDocument;
        clearSelection();
    }
}

void EngineSession::setSeekView(const platform::Variant& value)
{
    requireDocument();
    const std::optional<int> seek = wholeNumber(value);
    if (!seek || (*seek != 0 && *seek != 9 && *seek != 10))
        throw platform::AutomationError(
            "SeekView must be 0 (main document), 9 (current page header) or 10 (current page footer)");
    if (viewType() != kPrintLayoutView)
        throw platform::AutomationError("the header and footer can be shown only in print layout view (type 3)");
    m_seekView = static_cast<Seek>(*seek);
    clearSelection();
}

void EngineSession::saveAs(const std::string& path)
{
    requireDocument();
    if (m_readOnly)
        throw platform::AutomationError("the document was opened read-only, so it cannot be saved");
    std::error_code ignored;
    if (path != m_document->path() && !std::filesystem::equivalent(path, m_document->path(), ignored))
        throw platform::AutomationError("the built-in engine saves a document only over the file it was opened from");
    translatingEngineErrors([&] { m_document->save(); });
}

void EngineSession::close()
{
    requireDocument();
    clearSelection();
    m_document.reset();
}

void EngineSession::quit()
{
    clearSelection();
    m_document.reset();
    m_quit = true;
}

} // namespace glyphmere::docengine
