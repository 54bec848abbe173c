#include "TestDispatch.h"

#include <oleauto.h>

#include <utility>

namespace glyphmere::platform::win32::test {
namespace {

enum MemberId : DISPID { Name = 1, Title, Echo, Join, Size, Fonts, Fail };

struct Member {
    const wchar_t* name;
    DISPID id;
};

constexpr Member kMembers[] = {{L"Name", Name}, {L"Title", Title}, {L"Echo", Echo}, {L"Join", Join},
                               {L"Size", Size}, {L"Fonts", Fonts}, {L"Fail", Fail}};

VARIANT textVariant(const wchar_t* text)
{
    VARIANT value;
    VariantInit(&value);
    V_VT(&value) = VT_BSTR;
    V_BSTR(&value) = SysAllocString(text);
    return value;
}

bool isMissing(const VARIANT& value) { return V_VT(&value) == VT_ERROR && V_ERROR(&value) == DISP_E_PARAMNOTFOUND; }

std::wstring textOf(const VARIANT& value) { return std::wstring(V_BSTR(&value), SysStringLen(V_BSTR(&value))); }

} // namespace

TestEnumerator::TestEnumerator(const std::vector<VARIANT>& elements)
    : Counted<IEnumVARIANT>(IID_IEnumVARIANT), m_elements(elements.size())
{
    for (std::size_t i = 0; i < elements.size(); ++i) {
        VariantInit(&m_elements[i]);
        VariantCopy(&m_elements[i], const_cast<VARIANT*>(&elements[i]));
    }
}

TestEnumerator::~TestEnumerator()
{
    for (VARIANT& element : m_elements)
        VariantClear(&element);
}

HRESULT TestEnumerator::Next(ULONG count, VARIANT* elements, ULONG* fetched)
{
    ULONG given = 0;
    for (; given < count && m_next < m_elements.size(); ++given, ++m_next) {
        VariantInit(&elements[given]);
        VariantCopy(&elements[given], &m_elements[m_next]);
    }
    if (fetched)
        *fetched = given;
    return given == count ? S_OK : S_FALSE;
}

HRESULT TestEnumerator::Skip(ULONG count)
{
    m_next = std::min(m_elements.size(), m_next + count);
    return m_next < m_elements.size() ? S_OK : S_FALSE;
}

HRESULT TestEnumerator::Reset()
{
    m_next = 0;
    return S_OK;
}

HRESULT TestEnumerator::Clone(IEnumVARIANT** copy)
{
    *copy = nullptr;
    return E_NOTIMPL;
}

TestDispatch::TestDispatch() : Counted<IDispatch>(IID_IDispatch)
{
    VariantInit(&m_title);
    m_fontNames.push_back(textVariant(L"Arial"));
    m_fontNames.push_back(textVariant(fontNameWithUmlauts));
    VARIANT twelve;
    VariantInit(&twelve);
    V_VT(&twelve) = VT_I2;
    V_I2(&twelve) = 12;
    m_fontNames.push_back(twelve);
}

TestDispatch::~TestDispatch()
{
    VariantClear(&m_title);
    for (VARIANT& name : m_fontNames)
        VariantClear(&name);
}

bool TestDispatch::everyChildReleased() const
{
    for (const auto& collection : m_collections) {
        if (collection->references() != 0 || !collection->everyChildReleased())
            return false;
    }
    for (const auto& enumerator : m_enumerators) {
        if (enumerator->references() != 0)
            return false;
    }
    return true;
}

HRESULT TestDispatch::GetTypeInfoCount(UINT* count)
{
    *count = 0;
    return S_OK;
}

HRESULT TestDispatch::GetTypeInfo(UINT, LCID, ITypeInfo** info)
{
    *info = nullptr;
    return E_NOTIMPL;
}

HRESULT TestDispatch::GetIDsOfNames(REFIID, LPOLESTR* names, UINT count, LCID, DISPID* ids)
{
    for (UINT i = 0; i < count; ++i)
        ids[i] = DISPID_UNKNOWN;
    if (count != 1)
        return DISP_E_UNKNOWNNAME;
    // Member names match without regard to case, as automation servers match them.
    for (const Member& member : kMembers) {
        if (CompareStringOrdinal(names[0], -1, member.name, -1, TRUE) == CSTR_EQUAL) {
            ids[0] = member.id;
            return S_OK;
        }
    }
    return DISP_E_UNKNOWNNAME;
}

HRESULT TestDispatch::Invoke(DISPID member, REFIID, LCID, WORD flags, DISPPARAMS* parameters, VARIANT* result,
                             EXCEPINFO* exception, UINT* argumentError)
{
    if (argumentError)
        *argumentError = 0;
    if (member == Title && (flags & DISPATCH_PROPERTYPUT))
        return putTitle(flags, *parameters);
    if (parameters->cNamedArgs != 0 || !result)
        return DISP_E_PARAMNOTFOUND;
    VariantInit(result);
    return invokeMember(member, flags, *parameters, *result, exception);
}

HRESULT TestDispatch::invokeMember(DISPID member, WORD flags, const DISPPARAMS& parameters, VARIANT& result,
                                   EXCEPINFO* exception)
{
    const bool isGet = (flags & DISPATCH_PROPERTYGET) && parameters.cArgs == 0;
    const bool isMethod = flags & DISPATCH_METHOD;
    switch (member) {
    case DISPID_VALUE:
    case Name:
        if (!isGet)
            return DISP_E_MEMBERNOTFOUND;
        result = textVariant(L"Test Object");
        return S_OK;
    case Title:
        return isGet ? VariantCopy(&result, &m_title) : DISP_E_MEMBERNOTFOUND;
    case Size:
        if (!isGet)
            return DISP_E_MEMBERNOTFOUND;
        V_VT(&result) = VT_R4;
        V_R4(&result) = 10.5F;
        return S_OK;
    case Fonts:
        return isGet ? fonts(result) : DISP_E_MEMBERNOTFOUND;
    case DISPID_NEWENUM:
        return isGet || isMethod ? newEnumerator(result) : DISP_E_MEMBERNOTFOUND;
    case Echo:
        if (!isMethod || parameters.cArgs != 1)
            return DISP_E_BADPARAMCOUNT;
        return VariantCopy(&result, &parameters.rgvarg[0]);
    case Join:
        return isMethod ? join(parameters, result) : DISP_E_MEMBERNOTFOUND;
    case Fail:
        if (!isMethod || !exception)
            return DISP_E_MEMBERNOTFOUND;
        *exception = EXCEPINFO{};
        exception->bstrSource = SysAllocString(L"Test Server");
        exception->bstrDescription = SysAllocString(L"This file could not be found.\r\n");
        exception->scode = static_cast<SCODE>(0x800A1436);
        return DISP_E_EXCEPTION;
    default:
        return DISP_E_MEMBERNOTFOUND;
    }
}

HRESULT TestDispatch::putTitle(WORD flags, const DISPPARAMS& parameters)
{
    // A property write carries exactly one argument, named DISPID_PROPERTYPUT.
    const bool named = parameters.cNamedArgs == 1 && parameters.rgdispidNamedArgs[0] == DISPID_PROPERTYPUT;
    if (flags != DISPATCH_PROPERTYPUT || !named || parameters.cArgs != 1)
        return DISP_E_PARAMNOTFOUND;
    return VariantCopy(&m_title, &parameters.rgvarg[0]);
}

HRESULT TestDispatch::join(const DISPPARAMS& parameters, VARIANT& result)
{
    if (parameters.cArgs < 1 || parameters.cArgs > 2)
        return DISP_E_BADPARAMCOUNT;
    // The last argument comes first in rgvarg.
    const VARIANT& first = parameters.rgvarg[parameters.cArgs - 1];
    if (V_VT(&first) != VT_BSTR)
        return DISP_E_TYPEMISMATCH;
    std::wstring joined = textOf(first) + L"|";
    if (parameters.cArgs == 1 || isMissing(parameters.rgvarg[0]))
        joined += L"(missing)";
    else if (V_VT(&parameters.rgvarg[0]) == VT_BSTR)
        joined += textOf(parameters.rgvarg[0]);
    else
        return DISP_E_TYPEMISMATCH;
    result = textVariant(joined.c_str());
    return S_OK;
}

HRESULT TestDispatch::fonts(VARIANT& result)
{
    m_collections.push_back(std::make_unique<TestDispatch>());
    IDispatch* collection = m_collections.back().get();
    collection->AddRef();
    V_VT(&result) = VT_DISPATCH;
    V_DISPATCH(&result) = collection;
    return S_OK;
}

HRESULT TestDispatch::newEnumerator(VARIANT& result)
{
    m_enumerators.push_back(std::make_unique<TestEnumerator>(m_fontNames));
    IEnumVARIANT* enumerator = m_enumerators.back().get();
    enumerator->AddRef();
    V_VT(&result) = VT_UNKNOWN;
    V_UNKNOWN(&result) = enumerator;
    return S_OK;
}

} // namespace glyphmere::platform::win32::test
