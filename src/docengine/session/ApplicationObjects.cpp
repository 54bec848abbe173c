#include "docengine/session/DispatchObject.h"
#include "docengine/session/EngineObjects.h"

#include <utility>

namespace glyphmere::docengine {
namespace {

using platform::AutomationError;
using platform::Variant;

// Word's Open takes up to 16 arguments, SaveAs2 up to 17, Close up to 3.
constexpr std::size_t kMaxOpenArguments = 16;
constexpr std::size_t kMaxSaveAs2Arguments = 17;
constexpr std::size_t kMaxCloseArguments = 3;

// Positions of the arguments that the engine reads or refuses.
constexpr std::size_t kOpenReadOnly = 2;
constexpr std::size_t kOpenFormat = 9;
constexpr std::size_t kOpenXmlTransform = 15;
constexpr std::size_t kSaveFileFormat = 1;
constexpr std::size_t kSaveLockComments = 2;
constexpr std::size_t kSavePassword = 3;
constexpr std::size_t kSaveFirstUnsupported = 5; // after AddToRecentFiles: write password, encoding ...
constexpr std::size_t kCloseSaveChanges = 0;

// Word's constants.
constexpr std::int32_t kOpenFormatAuto = 0;        // wdOpenFormatAuto
constexpr std::int32_t kDoNotSaveChanges = 0;      // wdDoNotSaveChanges
constexpr std::int32_t kBackgroundSavesQueued = 0; // the engine's save is written when SaveAs returns

// The path argument of Open and SaveAs.
std::string pathArgument(const Variant& value, const char* member)
{
    if (value.kind() != Variant::Kind::Text || value.toText().empty())
        throw platform::AutomationError(std::string(member) + " needs the document's path as text");
    return value.toText();
}

// An optional argument that the caller gave.
bool given(const std::vector<Variant>& args, std::size_t index)
{
    return index < args.size() && !args[index].isMissing() && !args[index].isEmpty();
}

// Word's numbers for the formats (WdSaveFormat), in the order of DocumentFormat: wdFormatDocument,
// wdFormatTemplate, wdFormatXMLDocument, wdFormatXMLDocumentMacroEnabled, wdFormatXMLTemplate,
// wdFormatXMLTemplateMacroEnabled.
constexpr std::int32_t kWordSaveFormats[] = {0, 1, 12, 13, 14, 15};

std::int32_t wordSaveFormat(DocumentFormat format) { return kWordSaveFormats[static_cast<std::size_t>(format)]; }

// The arguments that keep Word from prompting, converting, repairing or listing the document are
// accepted as given: the engine does none of that, and refuses a password-protected document whatever
// password is given. ReadOnly is honoured. A forced format or an XML transform cannot be, and are refused.
Variant openDocument(const std::shared_ptr<EngineSession>& session, const std::vector<Variant>& args)
{
    const std::string path = pathArgument(args[0], "Documents.Open");
    if (given(args, kOpenFormat) && args[kOpenFormat].toInt32() != kOpenFormatAuto)
        throw AutomationError("the built-in engine opens a document in the format its content shows, so Open's "
                              "Format must be left out or 0 (wdOpenFormatAuto)");
    if (given(args, kOpenXmlTransform))
        throw AutomationError("the built-in engine applies no XML transform when it opens a document");
    session->open(path, given(args, kOpenReadOnly) && args[kOpenReadOnly].toBool());
    return Variant(makeDocument(session));
}

class ApplicationObject final : public DispatchObject, public std::enable_shared_from_this<ApplicationObject> {
public:
    ApplicationObject(std::shared_ptr<EngineSession> session, FontNameSource fontNames,
                      std::function<void()> leaveTable)
        : DispatchObject("Application", std::move(session)), m_fontNames(std::move(fontNames)),
          m_leaveTable(std::move(leaveTable))
    {
        const auto& s = sessionRef();
        setMembers({
            {"Application", [this] { return Variant(platform::ObjectRef(shared_from_this())); }, {}, {}},
            {"Documents", [s] { return Variant(makeDocuments(s)); }, {}, {}},
            {"ActiveDocument", [s] { return activeDocument(s); }, {}, {}},
            {"Selection", [s] { return Variant(makeSelection(s)); }, {}, {}},
            {"ActiveWindow", [s] { return Variant(makeWindow(s)); }, {}, {}},
            {"FontNames", [this, s] { return Variant(makeFontNames(s, m_fontNames())); }, {}, {}},
            {"Name", [] { return Variant(kApplicationName); }, {}, {}},
            {"DisplayAlerts",
             [s] { return Variant(s->displayAlerts); },
             [s](const Variant& value) { s->displayAlerts = value.toBool(); },
             {}},
            {"AutomationSecurity",
             [s] { return Variant(s->automationSecurity); },
             [s](const Variant& value) { s->automationSecurity = automationSecurity(value); },
             {}},
            {"Visible",
             [s] { return Variant(s->visible); },
             [s](const Variant& value) { s->visible = value.toBool(); },
             {}},
            {"BackgroundSavingStatus", [] { return Variant(kBackgroundSavesQueued); }, {}, {}},
            {"Quit", {}, {}, [this](const Args&) { return quit(); }, 0, 3},
        });
    }

    ~ApplicationObject() override { leaveTable(); }

private:
    static Variant activeDocument(const std::shared_ptr<EngineSession>& session)
    {
        if (!session->hasDocument())
            throw platform::AutomationError("no document is open");
        return makeDocument(session);
    }

    static int automationSecurity(const Variant& value)
    {
        const std::int32_t setting = value.toInt32();
        if (setting < 1 || setting > 3)
            throw platform::AutomationError("AutomationSecurity must be 1, 2 or 3");
        return setting;
    }

    // SaveChanges and the other arguments are accepted and ignored: the engine never saves on Quit.
    Variant quit()
    {
        session().quit();
        leaveTable();
        return {};
    }

    void leaveTable()
    {
        if (m_leaveTable)
            std::exchange(m_leaveTable, nullptr)();
    }

    Variant defaultValueOf() override { return kApplicationName; }

    FontNameSource m_fontNames;
    std::function<void()> m_leaveTable;
};

class DocumentsObject final : public DispatchObject {
public:
    explicit DocumentsObject(const std::shared_ptr<EngineSession>& s) : DispatchObject("Documents", s)
    {
        setMembers({
            {"Open", {}, {}, [s](const Args& args) { return openDocument(s, args); }, 1, kMaxOpenArguments},
            {"Count", [s] { return Variant(std::int32_t{s->hasDocument() ? 1 : 0}); }, {}, {}},
        });
    }

private:
    std::vector<Variant> elements() override
    {
        if (!session().hasDocument())
            return {};
        return {Variant(makeDocument(sessionRef()))};
    }
};

class DocumentObject final : public DispatchObject {
public:
    explicit DocumentObject(const std::shared_ptr<EngineSession>& s) : DispatchObject("Document", s)
    {
        setMembers({
            {"SaveAs", {}, {}, [s](const Args& args) { return saveAs(*s, args); }, 1, kMaxOpenArguments},
            {"SaveAs2", {}, {}, [s](const Args& args) { return saveAs2(*s, args); }, 1, kMaxSaveAs2Arguments},
            {"Close", {}, {}, [s](const Args& args) { return close(*s, args); }, 0, kMaxCloseArguments},
            {"FullName", [s] { return Variant(s->documentPath()); }, {}, {}},
            {"ReadOnly", [s] { return Variant(s->isReadOnly()); }, {}, {}},
            {"SaveFormat", [s] { return Variant(wordSaveFormat(s->documentFormat())); }, {}, {}},
            {"ActiveWindow", [s] { return Variant(makeWindow(s)); }, {}, {}},
        });
    }

private:
    // Only the file name is honoured; a format or other option the engine cannot keep is refused.
    static Variant saveAs(EngineSession& session, const Args& args)
    {
        for (std::size_t i = 1; i < args.size(); ++i) {
            if (!args[i].isMissing() && !args[i].isEmpty())
                throw platform::AutomationError("the built-in engine's SaveAs takes only the file name");
        }
        session.saveAs(pathArgument(args[0], "SaveAs"));
        return {};
    }

    // Over the file it was opened from and in its own format, since the engine never converts. It keeps no
    // list of recent files, so AddToRecentFiles is accepted either way; a lock or a password is refused.
    static Variant saveAs2(EngineSession& session, const Args& args)
    {
        const std::int32_t own = wordSaveFormat(session.documentFormat());
        if (given(args, kSaveFileFormat) && args[kSaveFileFormat].toInt32() != own)
            throw AutomationError("the built-in engine never converts a document: FileFormat " +
                                  args[kSaveFileFormat].toText() + " is not the document's own format, " +
                                  std::to_string(own));
        const bool locksComments = given(args, kSaveLockComments) && args[kSaveLockComments].toBool();
        const bool setsPassword = given(args, kSavePassword) && !args[kSavePassword].toText().empty();
        bool asksMore = locksComments || setsPassword;
        for (std::size_t i = kSaveFirstUnsupported; i < args.size(); ++i)
            asksMore = asksMore || given(args, i);
        if (asksMore)
            throw AutomationError("the built-in engine's SaveAs2 takes only the file name, its own format and "
                                  "AddToRecentFiles");
        session.saveAs(pathArgument(args[0], "SaveAs2"));
        return {};
    }

    // Asked to save or to prompt, the engine refuses rather than write or wait by surprise.
    static Variant close(EngineSession& session, const Args& args)
    {
        if (given(args, kCloseSaveChanges) && args[kCloseSaveChanges].toInt32() != kDoNotSaveChanges)
            throw AutomationError("the built-in engine closes a document without saving: SaveChanges must be 0 "
                                  "(wdDoNotSaveChanges)");
        session.close();
        return {};
    }

    Variant defaultValueOf() override { return session().documentPath(); }
};

class FontNamesObject final : public DispatchObject {
public:
    FontNamesObject(const std::shared_ptr<EngineSession>& s, std::vector<std::string> names)
        : DispatchObject("FontNames", s), m_names(std::move(names))
    {
        setMembers({{"Count", [this] { return Variant(static_cast<std::int32_t>(m_names.size())); }, {}, {}}});
    }

private:
    std::vector<Variant> elements() override { return {m_names.begin(), m_names.end()}; }

    std::vector<std::string> m_names;
};

} // namespace

platform::ObjectRef makeApplication(std::shared_ptr<EngineSession> session, FontNameSource fontNames,
                                    std::function<void()> leaveTable)
{
    return std::make_shared<ApplicationObject>(std::move(session), std::move(fontNames), std::move(leaveTable));
}

platform::ObjectRef makeDocuments(const std::shared_ptr<EngineSession>& session)
{
    return std::make_shared<DocumentsObject>(session);
}

platform::ObjectRef makeDocument(const std::shared_ptr<EngineSession>& session)
{
    return std::make_shared<DocumentObject>(session);
}

platform::ObjectRef makeFontNames(const std::shared_ptr<EngineSession>& session, std::vector<std::string> names)
{
    return std::make_shared<FontNamesObject>(session, std::move(names));
}

} // namespace glyphmere::docengine
