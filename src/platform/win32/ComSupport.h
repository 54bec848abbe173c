#pragma once

// Helpers that the COM automation sources share: owning holders for interface references and VARIANTs,
// and the readable text of a failing call.

#include "platform/AutomationError.h"
#include "platform/Variant.h"

#include <objbase.h>
#include <oleauto.h>

#include <functional>
#include <string>
#include <string_view>
#include <utility>

namespace glyphmere::platform::win32 {

// Holds one interface reference and releases it exactly once.
template <class Interface>
class ComRef {
public:
    ComRef() = default;
    ComRef(const ComRef&) = delete;
    ComRef& operator=(const ComRef&) = delete;
    ~ComRef() { reset(); }

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
    void reset()
    {
        if (m_pointer)
            std::exchange(m_pointer, nullptr)->Release();
    }

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

// "WHAT failed: DESCRIPTION (CODE)", where the description is the server's own (from EXCEPINFO) or,
// without one, the system's sentence for the error code.
std::string failureText(std::string_view what, HRESULT result, EXCEPINFO* exception = nullptr);

inline void check(HRESULT result, std::string_view what)
{
    if (FAILED(result))
        throw AutomationError(failureText(what, result));
}

// Makes the object that stands for an IDispatch a value carries.
using ObjectMaker = std::function<ObjectRef(IDispatch*)>;

// The IDispatch behind an object of the COM automation service; null for an object of another service.
IDispatch* dispatchOf(const ObjectRef& object);

// fromComVariant (ComAutomation.h), with the objects in the value made by makeObject.
Variant fromComVariantWith(const VARIANT& value, const ObjectMaker& makeObject);

} // namespace glyphmere::platform::win32
