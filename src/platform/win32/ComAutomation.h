#pragma once

#include "platform/Automation.h"

// Declared here so that users of this header need not include the Windows headers.
struct IDispatch;
struct tagVARIANT;

namespace glyphmere::platform::win32 {

// The automation service over COM: creates registered classes by their ProgID ("Word.Application") and
// attaches to running ones through the running-object table. Its objects belong to the thread that made
// them, which must be the window's thread.
class ComAutomation final : public Automation {
public:
    // Initialises COM on the calling thread (apartment-threaded) unless it already is.
    ComAutomation();

    ObjectRef create(std::string_view className) override;
    ObjectRef attach(std::string_view className) override;
};

// An object over an IDispatch that the caller holds; the object adds a reference of its own and releases
// it when the last ObjectRef goes. A null pointer gives a null ObjectRef.
ObjectRef wrapDispatch(IDispatch* dispatch);

// Fills an uninitialised VARIANT, which the caller clears: text as a BSTR, Int32 as VT_I4, Bool as
// VT_BOOL, Double as VT_R8, an object of this service as VT_DISPATCH, a missing argument as VT_ERROR
// with DISP_E_PARAMNOTFOUND.
void toComVariant(const Variant& value, tagVARIANT& out);
// Reads a VARIANT back; other numeric types become Int32 or Double, a date becomes its text. Throws
// AutomationError for a value that has no counterpart (an array, an error code).
Variant fromComVariant(const tagVARIANT& value);

} // namespace glyphmere::platform::win32
