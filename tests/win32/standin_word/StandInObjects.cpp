#include "StandInObjects.h"

#include "StandInSupport.h"
#include "StandInWord.h"

#include <windows.h>

#include <cctype>
#include <set>
#include <utility>
#include <vector>

namespace glyphmere::standin {
namespace {

constexpr const char* kMembers[] = {
    "Application",   "FontNames",          "Documents",  "Open", "Selection", "WholeStory", "Font",           "Name",
    "Size",          "ActiveWindow",       "ActivePane", "View", "Type",      "SeekView",   "ActiveDocument", "SaveAs",
    "DisplayAlerts", "AutomationSecurity", "Quit"};
const std::set<std::string> kObjects = {"",
                                        "fontnames",
                                        "documents",
                                        "selection",
                                        "selection.font",
                                        "activewindow",
                                        "activewindow.activepane",
                                        "activewindow.activepane.view",
                                        "activedocument"};
const std::set<std::string> kMethods = {"documents.open", "selection.wholestory", "activedocument.saveas", "quit"};
const std::set<std::string> kNeedADocument = {"selection", "activedocument", "activewindow"};
constexpr int kPrintView = 3;

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

// The member path without the "Application." steps, which lead back to the application itself.
std::string canonical(const std::string& path)
{
    std::string key = lowered(path);
    while (key.rfind("application", 0) == 0)
        key.erase(0, key.size() > 11 ? 12 : 11);
    return key;
}

std::optional<VARIANT> coerced(const VARIANT& value, VARTYPE type)
{
    VARIANT converted;
    VariantInit(&converted);
    // The call only reads its source; the headers declare it without const.
    if (FAILED(VariantChangeTypeEx(&converted, const_cast<VARIANT*>(&value), LOCALE_INVARIANT, 0, type)))
        return std::nullopt;
    return converted;
}

std::string textOf(const VARIANT& value)
{
    auto text = coerced(value, VT_BSTR);
    if (!text)
        return "?";
    const std::string result = utf8(std::wstring_view(V_BSTR(&*text), SysStringLen(V_BSTR(&*text))));
    VariantClear(&*text);
    return result;
}

std::wstring pathArgument(const DISPPARAMS& parameters)
{
    const VARIANT& first = parameters.rgvarg[parameters.cArgs - 1];
    return V_VT(&first) == VT_BSTR ? std::wstring(V_BSTR(&first), SysStringLen(V_BSTR(&first))) : std::wstring();
}

std::string storyLabel(int story) { return story == 1 ? "header" : story == 2 ? "footer" : "main"; }

// A server object that is freed with its last reference; it starts with the one its maker hands out.
template <class Interface>
class CountedObject : public Interface {
public:
    explicit CountedObject(const IID& ownId) : m_ownId(ownId) { objectMade(); }
    CountedObject(const CountedObject&) = delete;
    CountedObject& operator=(const CountedObject&) = delete;
    virtual ~CountedObject() { objectGone(); }

    HRESULT STDMETHODCALLTYPE QueryInterface(REFIID id, void** object) override
    {
        *object = nullptr;
        if (!IsEqualIID(id, IID_IUnknown) && !IsEqualIID(id, m_ownId))
            return E_NOINTERFACE;
        *object = static_cast<Interface*>(this);
        AddRef();
        return S_OK;
    }
    ULONG STDMETHODCALLTYPE AddRef() override { return static_cast<ULONG>(InterlockedIncrement(&m_references)); }
    ULONG STDMETHODCALLTYPE Release() override
    {
        const LONG left = InterlockedDecrement(&m_references);
        if (left == 0)
            delete this;
        return static_cast<ULONG>(left);
    }

private:
    IID m_ownId;
    LONG m_references = 1;
};

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

// Any object of the application, known by its member path from the application ("Selection.Font").
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
    HRESULT get(const std::string& path, const std::string& key, VARIANT* result, EXCEPINFO* exception);
    HRESULT put(const std::string& path, const std::string& key, const DISPPARAMS& parameters, EXCEPINFO* exception);
    HRESULT call(const std::string& path, const std::string& key, const DISPPARAMS& parameters, VARIANT* result,
                 EXCEPINFO* exception);
    HRESULT applyPut(const std::string& key, const VARIANT& value, EXCEPINFO* exception);
    HRESULT open(const DISPPARAMS& parameters, EXCEPINFO* exception);
    HRESULT saveAs(const DISPPARAMS& parameters, EXCEPINFO* exception);
    HRESULT quit();
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
    if (id == DISPID_VALUE && m_path.empty()) {
        logCall("default Word.Application");
        if (result) {
            V_VT(result) = VT_BSTR;
            V_BSTR(result) = SysAllocString(L"Microsoft Word");
        }
        return S_OK;
    }
    if (id == DISPID_NEWENUM && canonical(m_path) == "fontnames") {
        logCall("enumerate " + m_path);
        if (failureChosen("enumerate " + m_path))
            return wordError(exception, "Word refused: enumerate " + m_path);
        if (result) {
            V_VT(result) = VT_UNKNOWN;
            V_UNKNOWN(result) = new FontEnumerator;
        }
        return S_OK;
    }
    if (id < 1 || static_cast<std::size_t>(id) > spellings().size())
        return DISP_E_MEMBERNOTFOUND;
    const std::string path = m_path.empty() ? spellings()[id - 1] : m_path + "." + spellings()[id - 1];
    const std::string key = canonical(path);
    if (flags & DISPATCH_PROPERTYPUT)
        return put(path, key, arguments, exception);
    if (kMethods.count(key))
        return call(path, key, arguments, result, exception);
    return get(path, key, result, exception);
}

HRESULT Node::get(const std::string& path, const std::string& key, VARIANT* result, EXCEPINFO* exception)
{
    const bool isObject = kObjects.count(key) > 0;
    if (!isObject || failureChosen("get " + path))
        logCall("get " + path);
    if (failureChosen("get " + path))
        return wordError(exception, "Word refused: get " + path);
    if (isObject) {
        if (kNeedADocument.count(key) && !m_instance->document)
            return wordError(exception, "This command is not available because no document is open.");
        return giveObject(path, result);
    }
    int value = 0;
    if (key == "activewindow.activepane.view.type")
        value = m_instance->viewType;
    else if (key == "activewindow.activepane.view.seekview")
        value = m_instance->seekView;
    else
        return DISP_E_MEMBERNOTFOUND;
    if (result) {
        V_VT(result) = VT_I4;
        V_I4(result) = value;
    }
    return S_OK;
}

HRESULT Node::put(const std::string& path, const std::string& key, const DISPPARAMS& parameters, EXCEPINFO* exception)
{
    const bool namedValue = parameters.cNamedArgs == 1 && parameters.rgdispidNamedArgs[0] == DISPID_PROPERTYPUT;
    if (parameters.cArgs != 1 || !namedValue)
        return DISP_E_PARAMNOTOPTIONAL;
    const VARIANT& value = parameters.rgvarg[0];
    logCall("put " + path + " = " + transcriptText(value));
    if (failureChosen("put " + path))
        return wordError(exception, "Word refused: put " + path);
    return applyPut(key, value, exception);
}

HRESULT Node::applyPut(const std::string& key, const VARIANT& value, EXCEPINFO* exception)
{
    const auto number = coerced(value, VT_R8);
    if (key == "displayalerts")
        return coerced(value, VT_BOOL) ? S_OK : DISP_E_TYPEMISMATCH;
    if (key == "automationsecurity")
        return number && V_R8(&*number) >= 1 && V_R8(&*number) <= 3 ? S_OK : DISP_E_OVERFLOW;
    if (key == "activewindow.activepane.view.type") {
        if (!number)
            return DISP_E_TYPEMISMATCH;
        m_instance->viewType = static_cast<int>(V_R8(&*number));
        return S_OK;
    }
    if (key == "activewindow.activepane.view.seekview") {
        // As in Word, headers and footers can be reached in the print layout only.
        if (m_instance->viewType != kPrintView)
            return wordError(exception, "This view is not valid.");
        m_instance->seekView = number ? static_cast<int>(V_R8(&*number)) : -1;
        return (m_instance->seekView == 0 || m_instance->seekView == 9 || m_instance->seekView == 10)
                   ? S_OK
                   : wordError(exception, "The requested member of the collection does not exist.");
    }
    const bool isName = key == "selection.font.name";
    if ((!isName && key != "selection.font.size") || !m_instance->document)
        return DISP_E_MEMBERNOTFOUND;
    if (!isName && (!number || V_R8(&*number) < 1 || V_R8(&*number) > 1638))
        return wordError(exception, "The number must be between 1 and 1638.");
    if (isName && V_VT(&value) != VT_BSTR)
        return DISP_E_TYPEMISMATCH;
    const int story = m_instance->seekView == 9 ? 1 : m_instance->seekView == 10 ? 2 : 0;
    StoryFont& font = m_instance->document->stories[story];
    (isName ? font.name : font.size) = textOf(value);
    return S_OK;
}

HRESULT Node::call(const std::string& path, const std::string& key, const DISPPARAMS& parameters, VARIANT* result,
                   EXCEPINFO* exception)
{
    std::string line = "call " + path + "(";
    for (UINT i = 0; i < parameters.cArgs; ++i)
        line += (i ? ", " : "") + transcriptText(parameters.rgvarg[parameters.cArgs - 1 - i]);
    logCall(line + ")");
    if (failureChosen("call " + path))
        return wordError(exception, "Word refused: call " + path);
    if (key == "documents.open") {
        const HRESULT opened = open(parameters, exception);
        return SUCCEEDED(opened) ? giveObject("ActiveDocument", result) : opened;
    }
    if (key == "activedocument.saveas")
        return saveAs(parameters, exception);
    if (key == "quit")
        return parameters.cArgs <= 1 ? quit() : DISP_E_BADPARAMCOUNT;
    return m_instance->document ? S_OK : wordError(exception, "This command is not available.");
}

HRESULT Node::open(const DISPPARAMS& parameters, EXCEPINFO* exception)
{
    const std::wstring path = parameters.cArgs >= 1 ? pathArgument(parameters) : std::wstring();
    if (path.empty())
        return DISP_E_TYPEMISMATCH;
    const std::optional<std::string> bytes = readWholeFile(path);
    if (!bytes) {
        const DWORD error = GetLastError();
        return wordError(exception, "Word could not open the document: " + systemText(error),
                         HRESULT_FROM_WIN32(error));
    }
    m_instance->document = OpenDocument{*bytes, {}};
    m_instance->viewType = 1;
    m_instance->seekView = 0;
    return S_OK;
}

HRESULT Node::saveAs(const DISPPARAMS& parameters, EXCEPINFO* exception)
{
    const std::wstring path = parameters.cArgs >= 1 ? pathArgument(parameters) : std::wstring();
    if (path.empty() || !m_instance->document)
        return DISP_E_TYPEMISMATCH;
    std::string saved = m_instance->document->bytes;
    for (int story = 0; story < 3; ++story) {
        const StoryFont& font = m_instance->document->stories[story];
        if (!font.name.empty() || !font.size.empty())
            saved += "\n[" + storyLabel(story) + "] " + font.name + " " + font.size;
    }
    if (!replaceFile(path, saved)) {
        const DWORD error = GetLastError();
        return wordError(exception, "Word could not save the document: " + systemText(error),
                         HRESULT_FROM_WIN32(error));
    }
    return S_OK;
}

HRESULT Node::quit()
{
    m_instance->ended = true;
    m_instance->document.reset();
    if (m_instance->runningCookie != 0)
        RevokeActiveObject(std::exchange(m_instance->runningCookie, 0), nullptr);
    endProcessSoon();
    return S_OK;
}

} // namespace

void endProcessSoon() { PostQuitMessage(0); }

bool isBusy() { return false; }

DWORD busyAnswer() { return SERVERCALL_RETRYLATER; }

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
