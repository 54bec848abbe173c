#pragma once

#include "support/win32/WindowsFiles.h"

#include <oaidl.h>

#include <optional>
#include <string>
#include <string_view>

namespace glyphmere::standin {

std::string utf8(std::wstring_view wide);
std::wstring utf16(std::string_view text);

// The file through which the test sets the stand-in's switches (see StandInWord.h), in the temporary folder.
std::wstring controlFilePath();
// The value of one switch of the control file; empty when the test did not set it.
std::string switchValue(const std::string& name);

// Appends one line to the log the test named; nothing when it named none.
void logCall(const std::string& line);
// Whether the test chose this call (a log line without its arguments) to fail.
bool failureChosen(const std::string& call);

// A value as the transcript writes it: texts quoted, numbers and True/False bare, a skipped argument as
// "missing".
std::string transcriptText(const VARIANT& value);

// The system's sentence for a Win32 error code.
std::string systemText(DWORD code);
using testing_support::readWholeFile;
// Writes a new file beside path and moves it over path once it is complete; false (with the system's
// last error set) when it cannot.
bool replaceFile(const std::wstring& path, const std::string& bytes);

// Fills exception as Word fills it and gives the result that Invoke returns with it.
HRESULT wordError(EXCEPINFO* exception, const std::string& description, HRESULT code = E_FAIL);

// The count of the server's objects still alive.
void objectMade();
void objectGone();
long liveObjects();

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
        this->AddRef();
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

} // namespace glyphmere::standin
