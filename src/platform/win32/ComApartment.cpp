#include "platform/win32/ComApartment.h"

#include "platform/AutomationError.h"
#include "platform/win32/Win32Text.h"

#include <objbase.h>

namespace glyphmere::platform::win32 {
namespace {

constexpr DWORD kRetryDelayMilliseconds = 250;
constexpr DWORD kRetryWindowMilliseconds = 60'000;
constexpr DWORD kCancelCall = static_cast<DWORD>(-1);

// Lives as long as its apartment, so its reference count has nothing to free.
class BusyRetryFilter final : public IMessageFilter {
public:
    HRESULT STDMETHODCALLTYPE QueryInterface(REFIID id, void** object) override
    {
        if (IsEqualIID(id, IID_IUnknown) || IsEqualIID(id, IID_IMessageFilter)) {
            *object = static_cast<IMessageFilter*>(this);
            return S_OK;
        }
        *object = nullptr;
        return E_NOINTERFACE;
    }
    ULONG STDMETHODCALLTYPE AddRef() override { return 2; }
    ULONG STDMETHODCALLTYPE Release() override { return 1; }

    DWORD STDMETHODCALLTYPE HandleInComingCall(DWORD, HTASK, DWORD, LPINTERFACEINFO) override
    {
        return SERVERCALL_ISHANDLED;
    }
    DWORD STDMETHODCALLTYPE RetryRejectedCall(HTASK, DWORD elapsed, DWORD rejectType) override
    {
        const bool retry = rejectType == SERVERCALL_RETRYLATER && elapsed < kRetryWindowMilliseconds;
        return retry ? kRetryDelayMilliseconds : kCancelCall;
    }
    DWORD STDMETHODCALLTYPE MessagePending(HTASK, DWORD, DWORD) override { return PENDINGMSG_WAITDEFPROCESS; }
};

class ComApartment {
public:
    ComApartment() : m_result(CoInitializeEx(nullptr, COINIT_APARTMENTTHREADED))
    {
        // Message filters belong to single-threaded apartments only.
        if (SUCCEEDED(m_result))
            m_filterInstalled = SUCCEEDED(CoRegisterMessageFilter(&m_filter, &m_previousFilter));
    }
    ComApartment(const ComApartment&) = delete;
    ComApartment& operator=(const ComApartment&) = delete;
    ~ComApartment()
    {
        if (m_filterInstalled) {
            CoRegisterMessageFilter(m_previousFilter, nullptr);
            if (m_previousFilter)
                m_previousFilter->Release();
        }
        if (SUCCEEDED(m_result))
            CoUninitialize();
    }
    HRESULT result() const { return m_result; }

private:
    HRESULT m_result;
    BusyRetryFilter m_filter;
    IMessageFilter* m_previousFilter = nullptr;
    bool m_filterInstalled = false;
};

} // namespace

void ensureComInitialised()
{
    thread_local ComApartment apartment;
    // A thread already in the multithreaded apartment can use COM all the same.
    const HRESULT result = apartment.result();
    if (FAILED(result) && result != RPC_E_CHANGED_MODE)
        throw AutomationError("COM could not be initialised: " + systemMessage(static_cast<std::uint32_t>(result)));
}

} // namespace glyphmere::platform::win32
