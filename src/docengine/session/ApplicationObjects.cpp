#include "docengine/session/DispatchObject.h"
#include "docengine/session/EngineObjects.h"

#include <utility>

namespace glyphmere::docengine {
namespace {

using platform::Variant;

constexpr std::size_t kMaxOpenArguments = 16;

// The path argument of Open and SaveAs.
std::string pathArgument(const Variant& value, const char* member)
{
    if (value.kind() != Variant::Kind::Text || value.toText().empty())
        throw platform::AutomationError(std::string(member) + " needs the document's path as text");
    return value.toText();
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
            {"Open",
             {},
             {},
             [s](const Args& args) {
                 s->open(pathArgument(args[0], "Documents.Open")); // a password and the rest are ignored
                 return Variant(makeDocument(s));
             },
             1,
             kMaxOpenArguments},
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
            {"FullName", [s] { return Variant(s->documentPath()); }, {}, {}},
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
