#pragma once

#include <oaidl.h>

#include <memory>
#include <string>
#include <vector>

namespace glyphmere::platform::win32::test {

// "Größe Sans" in UTF-16, as the test object enumerates it.
inline constexpr const wchar_t* fontNameWithUmlauts = L"Gr\u00F6\u00DFe Sans";

// Reference counting that never deletes: the test owns the objects and checks afterwards that every
// reference handed out was given back exactly once (the count returns to where it started, never below).
template <class Interface>
class Counted : public Interface {
public:
    explicit Counted(const IID& ownId) : m_ownId(ownId) {}

    HRESULT STDMETHODCALLTYPE QueryInterface(REFIID id, void** object) override
    {
        if (IsEqualIID(id, IID_IUnknown) || IsEqualIID(id, m_ownId)) {
            *object = static_cast<Interface*>(this);
            AddRef();
            return S_OK;
        }
        *object = nullptr;
        return E_NOINTERFACE;
    }
    ULONG STDMETHODCALLTYPE AddRef() override { return static_cast<ULONG>(++m_references); }
    ULONG STDMETHODCALLTYPE Release() override { return static_cast<ULONG>(--m_references); }

    long references() const { return m_references; }

private:
    IID m_ownId;
    long m_references = 0;
};

// Hands out the elements it was given, one VARIANT at a time.
class TestEnumerator final : public Counted<IEnumVARIANT> {
public:
    explicit TestEnumerator(const std::vector<VARIANT>& elements);
    TestEnumerator(const TestEnumerator&) = delete;
    TestEnumerator& operator=(const TestEnumerator&) = delete;
    ~TestEnumerator();

    HRESULT STDMETHODCALLTYPE Next(ULONG count, VARIANT* elements, ULONG* fetched) override;
    HRESULT STDMETHODCALLTYPE Skip(ULONG count) override;
    HRESULT STDMETHODCALLTYPE Reset() override;
    HRESULT STDMETHODCALLTYPE Clone(IEnumVARIANT** copy) override;

private:
    std::vector<VARIANT> m_elements;
    std::size_t m_next = 0;
};

// An automation object written for the tests, strict about how it is called:
//   Name        read-only text "Test Object", also the default value
//   Title       read/write; keeps the VARIANT exactly as it was written
//   Echo(x)     method, gives its one argument back
//   Join(a, [b]) method, gives "a|b", or "a|(missing)" when b arrives as DISP_E_PARAMNOTFOUND
//   Size        read-only VT_R4 10.5
//   _NewEnum    enumerates "Arial", a name with non-ASCII letters (fontNameWithUmlauts) and VT_I2 12
//   Fonts       read-only; another such object, owned by this one
//   Fail        method that fails with EXCEPINFO (Word's "file not found")
class TestDispatch final : public Counted<IDispatch> {
public:
    TestDispatch();
    TestDispatch(const TestDispatch&) = delete;
    TestDispatch& operator=(const TestDispatch&) = delete;
    ~TestDispatch();

    HRESULT STDMETHODCALLTYPE GetTypeInfoCount(UINT* count) override;
    HRESULT STDMETHODCALLTYPE GetTypeInfo(UINT, LCID, ITypeInfo** info) override;
    HRESULT STDMETHODCALLTYPE GetIDsOfNames(REFIID, LPOLESTR* names, UINT count, LCID, DISPID* ids) override;
    HRESULT STDMETHODCALLTYPE Invoke(DISPID member, REFIID, LCID, WORD flags, DISPPARAMS* parameters, VARIANT* result,
                                     EXCEPINFO* exception, UINT* argumentError) override;

    const VARIANT& title() const { return m_title; }
    // Whether every reference to the objects it made (collections, enumerators) was given back.
    bool everyChildReleased() const;

private:
    HRESULT invokeMember(DISPID member, WORD flags, const DISPPARAMS& parameters, VARIANT& result,
                         EXCEPINFO* exception);
    HRESULT putTitle(WORD flags, const DISPPARAMS& parameters);
    HRESULT join(const DISPPARAMS& parameters, VARIANT& result);
    HRESULT fonts(VARIANT& result);
    HRESULT newEnumerator(VARIANT& result);

    VARIANT m_title;
    std::vector<std::unique_ptr<TestDispatch>> m_collections;
    std::vector<std::unique_ptr<TestEnumerator>> m_enumerators;
    std::vector<VARIANT> m_fontNames;
};

} // namespace glyphmere::platform::win32::test
