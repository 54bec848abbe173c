#include "StandInObjects.h"

#include "StandInDocuments.h"
#include "StandInFaults.h"
#include "StandInSupport.h"
#include "StandInWord.h"

#include <windows.h>

#include <cctype>
#include <set>
#include <utility>

namespace glyphmere::standin {
namespace {

constexpr const char* kMembers[] = {"Application",    "FontNames",
                                    "Documents",      "Open",
                                    "Count",          "Selection",
                                    "WholeStory",     "Font",
                                    "Name",           "Size",
                                    "ReadOnly",       "SaveFormat",
                                    "SaveAs",         "SaveAs2",
                                    "Close",          "Visible",
                                    "ActivePane",     "View",
                                    "ActiveWindow",   "Type",
                                    "SeekView",       "Quit",
                                    "DisplayAlerts",  "AutomationSecurity",
                                    "ActiveDocument", "BackgroundSavingStatus"};
// Members that give objects, by their place: of the application, and of a document.
const std::set<std::string> kApplicationObjects = {"", "fontnames", "documents"};
const std::set<std::string> kDocumentObjects = {"",
                                                "activewindow",
                                                "activewindow.selection",
                                                "activewindow.selection.font",
                                                "activewindow.activepane",
                                                "activewindow.activepane.view"};
const std::set<std::string> kMethods = {"documents.open", "quit",    "activewindow.selection.wholestory",
                                        "saveas",         "saveas2", "close"};

const wchar_t* const kFontNames[] = {L"Arial", L"Gr\u00F6\u00DFe Sans", L"\uFF2D\uFF33 \u660E\u671D",
                                     L"Times New Roman"};

std::string lowered(std::string text)
{
    for (char& c : text)
        c = static_cast<char>(std::tolower(static_cast<unsigned char>(c)));
    return text;
}

// Every spelling a caller asked for gets an identifier of its own, so the log shows the member as the
// caller wrote it ("name" or "Name"), as the recording fake does.
std::vector<std::string>& spellings()
{
    static std::vector<std::string> known;
    return known;
}

DISPID idOfSpelling(const std::string& spelling)
{
    std::vector<std::string>& known = spellings();
    for (std::size_t i = 0; i < known.size(); ++i) {
        if (known[i] == spelling)
            return static_cast<DISPID>(i + 1);
    }
    known.push_back(spelling);
    return static_cast<DISPID>(known.size());
}

bool isMember(const std::string& name)
{
    for (const char* member : kMembers) {
        if (lowered(member) == lowered(name))
            return true;
    }
    return false;
}

bool startsWith(const std::string& text, const std::string& prefix) { return text.rfind(prefix, 0) == 0; }

// A member path split into the document it addresses and the path within that document. Paths from
// "Document" address the document Documents.Open returned; the application's ActiveDocument, Selection
// and ActiveWindow address whichever document is active.
struct Target {
    bool ofDocument = false;
    bool throughApplication = false;
    std::string rest;
};

Target targetOf(const std::string& path)
{
    std::string key = lowered(path);
    while (startsWith(key, "application"))
        key.erase(0, key.size() > 11 ? 12 : 11);
    const auto after = [&key](std::size_t length) { return key.size() > length ? key.substr(length + 1) : ""; };
    if (startsWith(key, "document") && !startsWith(key, "documents"))
        return {true, false, after(8)};
    if (startsWith(key, "activedocument"))
        return {true, true, after(14)};
    if (startsWith(key, "selection"))
        return {true, true, "activewindow." + key};
    if (startsWith(key, "activewindow"))
        return {true, true, key};
    return {false, false, key};
}

class FontEnumerator final : public CountedObject<IEnumVARIANT> {
public:
    FontEnumerator() : CountedObject(IID_IEnumVARIANT) {}
    HRESULT STDMETHODCALLTYPE Next(ULONG count, VARIANT* elements, ULONG* fetched) override
    {
        ULONG given = 0;
        for (; given < count && m_next < std::size(kFontNames); ++given, ++m_next) {
            VariantInit(&elements[given]);
            V_VT(&elements[given]) = VT_BSTR;
            V_BSTR(&elements[given]) = SysAllocString(kFontNames[m_next]);
        }
        if (fetched)
            *fetched = given;
        return given == count ? S_OK : S_FALSE;
    }
    HRESULT STDMETHODCALLTYPE Skip(ULONG count) override
    {
        m_next += count;
        return m_next <= std::size(kFontNames) ? S_OK : S_FALSE;
    }
    HRESULT STDMETHODCALLTYPE Reset() override
    {
        m_next = 0;
        return S_OK;
    }
    HRESULT STDMETHODCALLTYPE Clone(IEnumVARIANT**) override { return E_NOTIMPL; }

private:
    std::size_t m_next = 0;
};

// Any object of the application, known by its member path from the application ("Document.ActiveWindow").
class Node final : public CountedObject<IDispatch> {
public:
    Node(std::shared_ptr<Instance> instance, std::string path)
        : CountedObject(IID_IDispatch), m_instance(std::move(instance)), m_path(std::move(path))
    {
    }

    HRESULT STDMETHODCALLTYPE GetTypeInfoCount(UINT* count) override
    {
        *count = 0;
        return S_OK;
    }
    HRESULT STDMETHODCALLTYPE GetTypeInfo(UINT, LCID, ITypeInfo**) override { return E_NOTIMPL; }
    HRESULT STDMETHODCALLTYPE GetIDsOfNames(REFIID, LPOLESTR* names, UINT count, LCID, DISPID* ids) override
    {
        if (count == 0)
            return E_INVALIDARG;
        const std::string name = utf8(names[0]);
        for (UINT i = 1; i < count; ++i)
            ids[i] = DISPID_UNKNOWN;
        ids[0] = isMember(name) ? idOfSpelling(name) : DISPID_UNKNOWN;
        return ids[0] == DISPID_UNKNOWN ? DISP_E_UNKNOWNNAME : S_OK;
    }
    HRESULT STDMETHODCALLTYPE Invoke(DISPID id, REFIID, LCID, WORD flags, DISPPARAMS* parameters, VARIANT* result,
                                     EXCEPINFO* exception, UINT*) override;

private:
    HRESULT special(DISPID id, VARIANT* result, EXCEPINFO* exception);
    HRESULT get(const std::string& path, VARIANT* result, EXCEPINFO* exception);
    HRESULT put(const std::string& path, const DISPPARAMS& parameters, EXCEPINFO* exception);
    HRESULT call(const std::string& path, const DISPPARAMS& parameters, VARIANT* result, EXCEPINFO* exception);
    HRESULT callOnApplication(const std::string& key, const DISPPARAMS& parameters, VARIANT* result,
                              EXCEPINFO* exception);
    // The document the target addresses; null (with the failure in refusal) when it cannot be reached.
    OpenDocument* documentFor(const Target& target, HRESULT& refusal, EXCEPINFO* exception);
    HRESULT giveObject(const std::string& path, VARIANT* result)
    {
        if (result) {
            V_VT(result) = VT_DISPATCH;
            V_DISPATCH(result) = new Node(m_instance, path);
        }
        return S_OK;
    }

    std::shared_ptr<Instance> m_instance;
    std::string m_path;
};

HRESULT Node::Invoke(DISPID id, REFIID, LCID, WORD flags, DISPPARAMS* parameters, VARIANT* result, EXCEPINFO* exception,
                     UINT*)
{
    if (result)
        VariantInit(result);
    const DISPPARAMS none{};
    const DISPPARAMS& arguments = parameters ? *parameters : none;
    if (m_instance->ended)
        return RPC_E_DISCONNECTED;
    if (id == DISPID_VALUE || id == DISPID_NEWENUM)
        return special(id, result, exception);
    if (id < 1 || static_cast<std::size_t>(id) > spellings().size())
        return DISP_E_MEMBERNOTFOUND;
    const std::string path = m_path.empty() ? spellings()[id - 1] : m_path + "." + spellings()[id - 1];
    const Target target = targetOf(path);
    if (flags & DISPATCH_PROPERTYPUT)
        return put(path, arguments, exception);
    if (kMethods.count(target.rest))
        return call(path, arguments, result, exception);
    return get(path, result, exception);
}

HRESULT Node::special(DISPID id, VARIANT* result, EXCEPINFO* exception)
{
    const bool isDefault = id == DISPID_VALUE && m_path.empty();
    const bool isFontList = id == DISPID_NEWENUM && targetOf(m_path).rest == "fontnames";
    if (!isDefault && !isFontList)
        return DISP_E_MEMBERNOTFOUND;
    const std::string line = isDefault ? "default Word.Application" : "enumerate " + m_path;
    logCall(line);
    if (const HRESULT fault = enterCall(*m_instance, line, exception); FAILED(fault))
        return fault;
    if (result && isDefault) {
        V_VT(result) = VT_BSTR;
        V_BSTR(result) = SysAllocString(L"Microsoft Word");
    } else if (result) {
        V_VT(result) = VT_UNKNOWN;
        V_UNKNOWN(result) = new FontEnumerator;
    }
    return S_OK;
}

OpenDocument* Node::documentFor(const Target& target, HRESULT& refusal, EXCEPINFO* exception)
{
    const int index = target.throughApplication ? m_instance->active : m_instance->ours;
    if (index < 0 || !m_instance->documents[static_cast<std::size_t>(index)].open) {
        refusal = wordError(exception, "This command is not available because no document is open.");
        return nullptr;
    }
    OpenDocument& document = m_instance->documents[static_cast<std::size_t>(index)];
    // The caller meant its own document; this one is the user's.
    if (target.throughApplication && document.foreign && !lenientArguments()) {
        refusal = wordError(exception, "The stand-in refuses the application's active document, selection and "
                                       "window while a document of the user's is active.");
        return nullptr;
    }
    return &document;
}

HRESULT Node::get(const std::string& path, VARIANT* result, EXCEPINFO* exception)
{
    const Target target = targetOf(path);
    const bool isObject = (target.ofDocument ? kDocumentObjects : kApplicationObjects).count(target.rest) > 0;
    const std::string line = "get " + path;
    if (!isObject || failureChosen(line))
        logCall(line);
    if (const HRESULT fault = enterCall(*m_instance, line, exception); FAILED(fault))
        return fault;
    if (!target.ofDocument)
        return isObject ? giveObject(path, result) : applicationValue(*m_instance, target.rest, result);
    HRESULT refusal = S_OK;
    OpenDocument* document = documentFor(target, refusal, exception);
    if (!document)
        return refusal;
    return isObject ? giveObject(path, result) : documentValue(*document, target.rest, result);
}

HRESULT Node::put(const std::string& path, const DISPPARAMS& parameters, EXCEPINFO* exception)
{
    const bool namedValue = parameters.cNamedArgs == 1 && parameters.rgdispidNamedArgs[0] == DISPID_PROPERTYPUT;
    if (parameters.cArgs != 1 || !namedValue)
        return DISP_E_PARAMNOTOPTIONAL;
    const VARIANT& value = parameters.rgvarg[0];
    const std::string line = "put " + path;
    logCall(line + " = " + transcriptText(value));
    if (const HRESULT fault = enterCall(*m_instance, line, exception); FAILED(fault))
        return fault;
    const Target target = targetOf(path);
    if (!target.ofDocument)
        return putApplicationValue(target.rest, value);
    HRESULT refusal = S_OK;
    OpenDocument* document = documentFor(target, refusal, exception);
    return document ? putDocumentValue(*document, target.rest, value, exception) : refusal;
}

HRESULT Node::call(const std::string& path, const DISPPARAMS& parameters, VARIANT* result, EXCEPINFO* exception)
{
    std::string line = "call " + path + "(";
    for (UINT i = 0; i < parameters.cArgs; ++i)
        line += (i ? ", " : "") + transcriptText(parameters.rgvarg[parameters.cArgs - 1 - i]);
    logCall(line + ")");
    if (const HRESULT fault = enterCall(*m_instance, "call " + path, exception); FAILED(fault))
        return fault;
    const Target target = targetOf(path);
    if (!target.ofDocument)
        return callOnApplication(target.rest, parameters, result, exception);
    HRESULT refusal = S_OK;
    OpenDocument* document = documentFor(target, refusal, exception);
    if (!document)
        return refusal;
    if (target.rest == "saveas" || target.rest == "saveas2")
        return saveDocument(*m_instance, *document, parameters, target.rest == "saveas2", exception);
    if (target.rest == "close")
        return closeDocument(*m_instance, *document, parameters);
    return S_OK;
}

HRESULT Node::callOnApplication(const std::string& key, const DISPPARAMS& parameters, VARIANT* result,
                                EXCEPINFO* exception)
{
    if (key == "documents.open") {
        const HRESULT opened = openDocument(*m_instance, parameters, exception);
        return SUCCEEDED(opened) ? giveObject("Document", result) : opened;
    }
    if (parameters.cArgs > 1)
        return DISP_E_BADPARAMCOUNT;
    if (!quitChosen())
        return S_OK;
    m_instance->ended = true;
    m_instance->documents.clear();
    if (m_instance->runningCookie != 0)
        RevokeActiveObject(std::exchange(m_instance->runningCookie, 0), nullptr);
    endProcessSoon();
    return S_OK;
}

} // namespace

void endProcessSoon() { PostQuitMessage(0); }

HRESULT createApplication(IDispatch** application)
{
    auto instance = std::make_shared<Instance>();
    auto* node = new Node(instance, "");
    // A strong entry, as Word's own: the table keeps the instance alive until it quits.
    RegisterActiveObject(node, kStandInWordClass, ACTIVEOBJECT_STRONG, &instance->runningCookie);
    *application = node;
    return S_OK;
}

} // namespace glyphmere::standin
