// The conversions between Variant and VARIANT, and the text of a failing call.
#include "platform/win32/ComAutomation.h"
#include "platform/win32/ComSupport.h"
#include "platform/win32/Win32Text.h"

#include <limits>

namespace glyphmere::platform::win32 {
namespace {

std::string trimmed(std::string text)
{
    while (!text.empty() && (text.back() == ' ' || text.back() == '\r' || text.back() == '\n'))
        text.pop_back();
    return text;
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

Variant objectFromUnknown(IUnknown* unknown, const ObjectMaker& makeObject)
{
    if (!unknown)
        return Variant(ObjectRef());
    ComRef<IDispatch> dispatch;
    check(unknown->QueryInterface(IID_IDispatch, dispatch.out()), "Reading an object value");
    return Variant(makeObject(dispatch.get()));
}

} // namespace

std::string failureText(std::string_view what, HRESULT result, EXCEPINFO* exception)
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
    IDispatch* dispatch = dispatchOf(value.object());
    if (!dispatch)
        throw AutomationError("An object of another automation service cannot be passed to a COM object.");
    V_VT(&out) = VT_DISPATCH;
    V_DISPATCH(&out) = dispatch;
    dispatch->AddRef();
}

Variant fromComVariant(const VARIANT& value) { return fromComVariantWith(value, wrapDispatch); }

Variant fromComVariantWith(const VARIANT& value, const ObjectMaker& makeObject)
{
    if (V_VT(&value) & VT_BYREF) {
        ScopedVariant copy;
        check(VariantCopyInd(&copy.value, const_cast<VARIANT*>(&value)), "Reading a value passed by reference");
        return fromComVariantWith(copy.value, makeObject);
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
        return Variant(V_DISPATCH(&value) ? makeObject(V_DISPATCH(&value)) : ObjectRef());
    case VT_UNKNOWN:
        return objectFromUnknown(V_UNKNOWN(&value), makeObject);
    case VT_ERROR:
        if (V_ERROR(&value) == DISP_E_PARAMNOTFOUND)
            return Variant::missing();
        throw AutomationError(failureText("Reading a value", V_ERROR(&value)));
    default:
        return coercedValue(value);
    }
}

} // namespace glyphmere::platform::win32
