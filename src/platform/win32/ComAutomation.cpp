#include "platform/win32/ComAutomation.h"

#include "platform/win32/ComApartment.h"
#include "platform/win32/Win32Text.h"

#include <objbase.h>
#include <oleauto.h>

#include <limits>
#include <utility>

namespace glyphmere::platform::win32 {
namespace {

// Holds one interface reference and releases it exactly once.
template <class Interface>
class ComRef {
public:
    ComRef() = default;
    ComRef(const ComRef&) = delete;
    ComRef& operator=(const ComRef&) = delete;
    ~ComRef()
    {
        if (m_pointer)
            m_pointer->Release();
    }

    static ComRef addRef(Interface* pointer)
    {
        ComRef ref;
        ref.m_pointer = pointer;
        if (pointer)
            pointer->AddRef();
        return ref;
    }
    ComRef(ComRef&& other) noexcept : m_pointer(std::exchange(other.m_pointer, nullptr)) {}

    Interface* get() const { return m_pointer; }
    Interface* operator->() const { return m_pointer; }
    // Where a call stores the reference it hands out; the holder must be empty.
    void** out() { return reinterpret_cast<void**>(&m_pointer); }

private:
    Interface* m_pointer = nullptr;
};

// A VARIANT that is cleared (its BSTR freed, its interface released) when it goes.
struct ScopedVariant {
    VARIANT value;
    ScopedVariant() { VariantInit(&value); }
    ScopedVariant(const ScopedVariant&) = delete;
    ScopedVariant& operator=(const ScopedVariant&) = delete;
    ~ScopedVariant() { VariantClear(&value); }
};

// The arguments of one call, last argument first as IDispatch::Invoke takes them.
class ArgumentArray {
public:
    explicit ArgumentArray(const std::vector<Variant>& args) : m_values(args.size())
    {
        for (VARIANT& value : m_values)
            VariantInit(&value);
        try {
            for (std::size_t i = 0; i < args.size(); ++i)
                toComVariant(args[args.size() - 1 - i], m_values[i]);
        } catch (...) {
            clear();
            throw;
        }
    }
    ArgumentArray(const ArgumentArray&) = delete;
    ArgumentArray& operator=(const ArgumentArray&) = delete;
    ~ArgumentArray() { clear(); }

    VARIANT* data() { return m_values.empty() ? nullptr : m_values.data(); }
    UINT size() const { return static_cast<UINT>(m_values.size()); }

private:
    void clear()
    {
        for (VARIANT& value : m_values)
            VariantClear(&value);
    }
    std::vector<VARIANT> m_values;
};

// The exception details that a failing Invoke fills in, freed when they go.
struct ScopedExcepInfo {
    EXCEPINFO info{};
    ScopedExcepInfo() = default;
    ScopedExcepInfo(const ScopedExcepInfo&) = delete;
    ScopedExcepInfo& operator=(const ScopedExcepInfo&) = delete;
    ~ScopedExcepInfo()
    {
        SysFreeString(info.bstrSource);
        SysFreeString(info.bstrDescription);
        SysFreeString(info.bstrHelpFile);
    }
};

std::string trimmed(std::string text)
{
    while (!text.empty() && (text.back() == ' ' || text.back() == '\r' || text.back() == '\n'))
        text.pop_back();
    return text;
}

// "WHAT failed: DESCRIPTION (CODE)", where the description is the server's own (from EXCEPINFO) or,
// without one, the system's sentence for the error code.
std::string failureText(std::string_view what, HRESULT result, EXCEPINFO* exception = nullptr)
{
    std::uint32_t code = static_cast<std::uint32_t>(result);
    std::string description;
    if (result == DISP_E_EXCEPTION && exception) {
        if (exception->pfnDeferredFillIn)
            exception->pfnDeferredFillIn(exception);
        if (exception->scode != 0)
            code = static_cast<std::uint32_t>(exception->scode);
        else if (exception->wCode != 0)
            code = static_cast<std::uint32_t>(MAKE_HRESULT(SEVERITY_ERROR, FACILITY_CONTROL, exception->wCode));
        if (exception->bstrDescription)
            description = trimmed(narrow(exception->bstrDescription));
    }
    if (description.empty())
        description = systemMessage(code);
    // The system's fallback text already names the code.
    if (description.find(hexCode(code)) == std::string::npos)
        description += " (" + hexCode(code) + ")";
    return std::string(what) + " failed: " + description;
}

void check(HRESULT result, std::string_view what)
{
    if (FAILED(result))
        throw AutomationError(failureText(what, result));
}

bool isIntegerType(VARTYPE type)
{
    for (VARTYPE integer : {VT_I1, VT_UI1, VT_I2, VT_UI2, VT_UI4, VT_I8, VT_UI8, VT_INT, VT_UINT}) {
        if (type == integer)
            return true;
    }
    return false;
}

// Values of other types through the system's own coercion: numbers by way of VT_R8 (integers that fit
// become Int32), anything else (a date) to its text.
Variant coercedValue(const VARIANT& value)
{
    const VARTYPE type = V_VT(&value);
    const bool isInteger = isIntegerType(type);
    const bool isNumber = isInteger || type == VT_R4 || type == VT_CY || type == VT_DECIMAL;
    ScopedVariant converted;
    // The call only reads its source; some headers declare it without const.
    if (FAILED(VariantChangeType(&converted.value, const_cast<VARIANT*>(&value), 0, isNumber ? VT_R8 : VT_BSTR)))
        throw AutomationError("A value of the automation type " + std::to_string(type) + " cannot be read.");
    if (!isInteger)
        return fromComVariant(converted.value);
    const double number = V_R8(&converted.value);
    if (number >= std::numeric_limits<std::int32_t>::min() && number <= std::numeric_limits<std::int32_t>::max())
        return static_cast<std::int32_t>(number);
    return number;
}

Variant objectFromUnknown(IUnknown* unknown)
{
    if (!unknown)
        return Variant(ObjectRef());
    ComRef<IDispatch> dispatch;
    check(unknown->QueryInterface(IID_IDispatch, dispatch.out()), "Reading an object value");
    return Variant(wrapDispatch(dispatch.get()));
}

// An object addressed by member name through its IDispatch.
class DispatchObject final : public AutomationObject {
public:
    explicit DispatchObject(IDispatch* dispatch) : m_dispatch(ComRef<IDispatch>::addRef(dispatch)) {}

    IDispatch* dispatch() const { return m_dispatch.get(); }

    Variant get(std::string_view member) override { return invoke(member, memberId(member), DISPATCH_PROPERTYGET, {}); }

    void put(std::string_view member, const Variant& value) override
    {
        invoke(member, memberId(member), DISPATCH_PROPERTYPUT, {value});
    }

    Variant call(std::string_view member, const std::vector<Variant>& args) override
    {
        return invoke(member, memberId(member), DISPATCH_METHOD | DISPATCH_PROPERTYGET, args);
    }

    Variant defaultValue() override
    {
        return invoke("Reading the default value", DISPID_VALUE, DISPATCH_METHOD | DISPATCH_PROPERTYGET, {});
    }

    std::vector<Variant> enumerate() override;

private:
    DISPID memberId(std::string_view member) const
    {
        std::wstring name = widen(member);
        LPOLESTR names[] = {name.data()};
        DISPID id = DISPID_UNKNOWN;
        check(m_dispatch->GetIDsOfNames(IID_NULL, names, 1, LOCALE_USER_DEFAULT, &id), member);
        return id;
    }

    void invokeInto(std::string_view what, DISPID id, WORD flags, const std::vector<Variant>& args,
                    VARIANT* result) const;

    Variant invoke(std::string_view what, DISPID id, WORD flags, const std::vector<Variant>& args) const
    {
        ScopedVariant result;
        invokeInto(what, id, flags, args, flags == DISPATCH_PROPERTYPUT ? nullptr : &result.value);
        return fromComVariant(result.value);
    }

    ComRef<IDispatch> m_dispatch;
};

void DispatchObject::invokeInto(std::string_view what, DISPID id, WORD flags, const std::vector<Variant>& args,
                                VARIANT* result) const
{
    ArgumentArray arguments(args);
    // A property write names its value argument, as COM requires.
    DISPID propertyPut = DISPID_PROPERTYPUT;
    const bool isPut = flags == DISPATCH_PROPERTYPUT;
    DISPPARAMS parameters{arguments.data(), isPut ? &propertyPut : nullptr, arguments.size(), isPut ? 1u : 0u};
    ScopedExcepInfo exception;
    UINT argumentError = 0;
    const HRESULT outcome = m_dispatch->Invoke(id, IID_NULL, LOCALE_USER_DEFAULT, flags, &parameters, result,
                                               &exception.info, &argumentError);
    if (FAILED(outcome))
        throw AutomationError(failureText(what, outcome, &exception.info));
}

std::vector<Variant> DispatchObject::enumerate()
{
    const std::string_view what = "Enumerating the collection";
    ScopedVariant enumerator;
    invokeInto(what, DISPID_NEWENUM, DISPATCH_METHOD | DISPATCH_PROPERTYGET, {}, &enumerator.value);
    const VARTYPE type = V_VT(&enumerator.value);
    IUnknown* unknown = type == VT_UNKNOWN    ? V_UNKNOWN(&enumerator.value)
                        : type == VT_DISPATCH ? V_DISPATCH(&enumerator.value)
                                              : nullptr;
    if (!unknown)
        throw AutomationError(std::string(what) + " failed: the collection gave no enumerator.");
    ComRef<IEnumVARIANT> items;
    check(unknown->QueryInterface(IID_IEnumVARIANT, items.out()), what);
    std::vector<Variant> elements;
    for (;;) {
        ScopedVariant element;
        ULONG fetched = 0;
        const HRESULT outcome = items->Next(1, &element.value, &fetched);
        check(outcome, what);
        if (outcome != S_OK || fetched == 0)
            return elements;
        elements.push_back(fromComVariant(element.value));
    }
}

CLSID classIdOf(std::string_view className, std::string_view what)
{
    CLSID classId{};
    check(CLSIDFromProgID(widen(className).c_str(), &classId), what);
    return classId;
}

std::string quoted(std::string_view text) { return "\"" + std::string(text) + "\""; }

} // namespace

ComAutomation::ComAutomation() { ensureComInitialised(); }

ObjectRef ComAutomation::create(std::string_view className)
{
    ensureComInitialised();
    const std::string what = "Creating " + quoted(className);
    const CLSID classId = classIdOf(className, what);
    ComRef<IDispatch> dispatch;
    check(CoCreateInstance(classId, nullptr, CLSCTX_LOCAL_SERVER | CLSCTX_INPROC_SERVER, IID_IDispatch, dispatch.out()),
          what);
    return wrapDispatch(dispatch.get());
}

ObjectRef ComAutomation::attach(std::string_view className)
{
    ensureComInitialised();
    const std::string what = "Attaching to a running " + quoted(className);
    const CLSID classId = classIdOf(className, what);
    ComRef<IUnknown> running;
    check(GetActiveObject(classId, nullptr, reinterpret_cast<IUnknown**>(running.out())), what);
    ComRef<IDispatch> dispatch;
    check(running->QueryInterface(IID_IDispatch, dispatch.out()), what);
    return wrapDispatch(dispatch.get());
}

ObjectRef wrapDispatch(IDispatch* dispatch)
{
    if (!dispatch)
        return nullptr;
    return std::make_shared<DispatchObject>(dispatch);
}

void toComVariant(const Variant& value, VARIANT& out)
{
    VariantInit(&out);
    switch (value.kind()) {
    case Variant::Kind::Empty:
        return;
    case Variant::Kind::Missing:
        V_VT(&out) = VT_ERROR;
        V_ERROR(&out) = DISP_E_PARAMNOTFOUND;
        return;
    case Variant::Kind::Text: {
        const std::wstring wide = widen(value.toText());
        BSTR text = SysAllocStringLen(wide.data(), static_cast<UINT>(wide.size()));
        if (!text)
            throw AutomationError("There is not enough memory for a text argument.");
        V_VT(&out) = VT_BSTR;
        V_BSTR(&out) = text;
        return;
    }
    case Variant::Kind::Int32:
        V_VT(&out) = VT_I4;
        V_I4(&out) = value.toInt32();
        return;
    case Variant::Kind::Bool:
        V_VT(&out) = VT_BOOL;
        V_BOOL(&out) = value.toBool() ? VARIANT_TRUE : VARIANT_FALSE;
        return;
    case Variant::Kind::Double:
        V_VT(&out) = VT_R8;
        V_R8(&out) = value.toDouble();
        return;
    case Variant::Kind::Object:
        break;
    }
    const auto* object = dynamic_cast<const DispatchObject*>(value.object().get());
    if (!object)
        throw AutomationError("An object of another automation service cannot be passed to a COM object.");
    V_VT(&out) = VT_DISPATCH;
    V_DISPATCH(&out) = object->dispatch();
    object->dispatch()->AddRef();
}

Variant fromComVariant(const VARIANT& value)
{
    if (V_VT(&value) & VT_BYREF) {
        ScopedVariant copy;
        check(VariantCopyInd(&copy.value, const_cast<VARIANT*>(&value)), "Reading a value passed by reference");
        return fromComVariant(copy.value);
    }
    switch (V_VT(&value)) {
    case VT_EMPTY:
    case VT_NULL:
        return {};
    case VT_BSTR:
        return narrow(std::wstring_view(V_BSTR(&value), SysStringLen(V_BSTR(&value))));
    case VT_I4:
        return static_cast<std::int32_t>(V_I4(&value));
    case VT_BOOL:
        return V_BOOL(&value) != VARIANT_FALSE;
    case VT_R8:
        return V_R8(&value);
    case VT_DISPATCH:
        return Variant(wrapDispatch(V_DISPATCH(&value)));
    case VT_UNKNOWN:
        return objectFromUnknown(V_UNKNOWN(&value));
    case VT_ERROR:
        if (V_ERROR(&value) == DISP_E_PARAMNOTFOUND)
            return Variant::missing();
        throw AutomationError(failureText("Reading a value", V_ERROR(&value)));
    default:
        return coercedValue(value);
    }
}

} // namespace glyphmere::platform::win32
