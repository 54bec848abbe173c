#include "fakes/RecordingAutomation.h"

#include "common/AsciiCase.h"

#include <gtest/gtest.h>

namespace glyphmere::fakes {
namespace {

using platform::AutomationError;
using platform::Variant;

constexpr const char* kDocumentPath = "Document";

// Every Word object's Application member leads back to the application itself.
bool isApplicationPath(const std::string& path)
{
    const auto dot = path.rfind('.');
    return path.empty() ||
           common::equalsIgnoringCase(dot == std::string::npos ? path : path.substr(dot + 1), "Application");
}

bool namesActiveDocumentState(std::string_view member)
{
    for (const char* name : {"ActiveDocument", "Selection", "ActiveWindow"}) {
        if (common::equalsIgnoringCase(member, name))
            return true;
    }
    return false;
}

class RecordedObject final : public platform::AutomationObject {
public:
    RecordedObject(RecordingAutomation& owner, std::string path, std::string defaultValue, bool isApplication)
        : m_owner(owner), m_path(std::move(path)), m_default(std::move(defaultValue)), m_isApplication(isApplication)
    {
    }

    Variant get(std::string_view member) override
    {
        const std::string path = childPath(member);
        refuseForeignActiveDocument(member, path);
        if (common::equalsIgnoringCase(path, "Documents.Count")) {
            m_owner.record("get " + path, "get " + path);
            return std::int32_t{m_owner.documentCount()};
        }
        if (const std::optional<Variant> scripted = m_owner.scriptedValue(path)) {
            m_owner.record("get " + path, "get " + path);
            return *scripted;
        }
        if (m_owner.failures.count("get " + path))
            m_owner.record("get " + path, "get " + path);
        return Variant(std::make_shared<RecordedObject>(m_owner, path, "", false));
    }

    void put(std::string_view member, const Variant& value) override
    {
        const std::string path = childPath(member);
        m_owner.record("put " + path + " = " + transcriptText(value), "put " + path);
    }

    Variant call(std::string_view member, const std::vector<Variant>& args) override
    {
        const std::string path = childPath(member);
        std::string line = "call " + path + "(";
        for (std::size_t i = 0; i < args.size(); ++i)
            line += (i ? ", " : "") + transcriptText(args[i]);
        line += ")";
        m_owner.record(line, "call " + path);
        return afterCall(path);
    }

    Variant defaultValue() override
    {
        m_owner.record("default " + (m_path.empty() ? std::string("Word.Application") : m_path), "default " + m_path);
        return m_default;
    }

    std::vector<Variant> enumerate() override
    {
        m_owner.record("enumerate " + m_path, "enumerate " + m_path);
        const auto found = m_owner.collections.find(m_path);
        return found == m_owner.collections.end() ? std::vector<Variant>() : found->second;
    }

private:
    std::string childPath(std::string_view member) const
    {
        return m_path.empty() ? std::string(member) : m_path + "." + std::string(member);
    }

    // With a document of the user's active, these would restyle and save it instead of ours.
    void refuseForeignActiveDocument(std::string_view member, const std::string& path) const
    {
        if (m_owner.foreignDocuments == 0 || !isApplicationPath(m_path) || !namesActiveDocumentState(member))
            return;
        ADD_FAILURE() << "the application's " << member << " was used while a foreign document was active";
        m_owner.record("get " + path, "get " + path);
        throw AutomationError("get " + path + " reached a foreign document");
    }

    // What a successful call changes: Open gives the document, Close closes it, Quit ends the instance.
    Variant afterCall(const std::string& path)
    {
        if (common::equalsIgnoringCase(path, "Documents.Open")) {
            m_owner.documentOpened();
            return Variant(std::make_shared<RecordedObject>(m_owner, kDocumentPath, "", false));
        }
        if (m_path == kDocumentPath && common::equalsIgnoringCase(path, "Document.Close") && !m_ended) {
            m_ended = true;
            m_owner.documentClosed();
        }
        if (m_isApplication && common::equalsIgnoringCase(path, "Quit") && !m_ended) {
            m_ended = true;
            m_owner.instanceEnded();
        }
        return Variant();
    }

    RecordingAutomation& m_owner;
    std::string m_path;
    std::string m_default;
    bool m_isApplication;
    bool m_ended = false;
};

} // namespace

std::string transcriptText(const Variant& value)
{
    switch (value.kind()) {
    case Variant::Kind::Text:
        return "\"" + value.toText() + "\"";
    case Variant::Kind::Missing:
        return "missing";
    case Variant::Kind::Empty:
        return "empty";
    case Variant::Kind::Object:
        return "object";
    default:
        return value.toText();
    }
}

void RecordingAutomation::record(const std::string& line, const std::string& failureKey)
{
    transcript.push_back(line);
    const auto failure = failures.find(failureKey);
    if (failure != failures.end())
        throw AutomationError(failure->second);
}

std::optional<Variant> RecordingAutomation::scriptedValue(const std::string& path)
{
    const auto pending = valuesBefore.find(path);
    if (pending != valuesBefore.end() && !pending->second.empty()) {
        const Variant next = pending->second.front();
        pending->second.erase(pending->second.begin());
        return next;
    }
    const auto scripted = values.find(path);
    return scripted == values.end() ? std::nullopt : std::optional<Variant>(scripted->second);
}

platform::ObjectRef RecordingAutomation::create(std::string_view className)
{
    record("create " + std::string(className), "create " + std::string(className));
    ++m_live;
    ++m_created;
    return std::make_shared<RecordedObject>(*this, "", createdDefaultValue, true);
}

platform::ObjectRef RecordingAutomation::attach(std::string_view className)
{
    record("attach " + std::string(className), "attach " + std::string(className));
    if (!running)
        throw AutomationError("no running instance of " + std::string(className));
    return std::make_shared<RecordedObject>(*this, "", runningDefaultValue, false);
}

} // namespace glyphmere::fakes
