// The stand-in's process: a local server that registers its class for one instance, as Word does for each
// new automation client, answers calls until that instance quits and then ends.
#include "StandInFaults.h"
#include "StandInObjects.h"
#include "StandInSupport.h"
#include "StandInWord.h"

#include <windows.h>

namespace glyphmere::standin {
namespace {

// A stand-in left behind by a test that failed still ends on its own, so nothing outlives a CI run.
constexpr UINT kLongestLifeMilliseconds = 10 * 60 * 1000;

// One factory for the process; it is never freed, so its count has nothing to do.
class Factory final : public IClassFactory {
public:
    HRESULT STDMETHODCALLTYPE QueryInterface(REFIID id, void** object) override
    {
        *object = nullptr;
        if (!IsEqualIID(id, IID_IUnknown) && !IsEqualIID(id, IID_IClassFactory))
            return E_NOINTERFACE;
        *object = static_cast<IClassFactory*>(this);
        return S_OK;
    }
    ULONG STDMETHODCALLTYPE AddRef() override { return 2; }
    ULONG STDMETHODCALLTYPE Release() override { return 1; }

    HRESULT STDMETHODCALLTYPE CreateInstance(IUnknown* outer, REFIID id, void** object) override
    {
        *object = nullptr;
        if (outer)
            return CLASS_E_NOAGGREGATION;
        logCall("create Word.Application");
        if (failureChosen("create Word.Application") || showDialogIfChosen("create Word.Application")) {
            endProcessSoon();
            return CO_E_SERVER_EXEC_FAILURE;
        }
        IDispatch* application = nullptr;
        const HRESULT made = createApplication(&application);
        if (FAILED(made))
            return made;
        const HRESULT given = application->QueryInterface(id, object);
        application->Release();
        return given;
    }
    HRESULT STDMETHODCALLTYPE LockServer(BOOL) override { return S_OK; }
};

// Turns calls away while the test has made the stand-in busy, as Word does while it starts or shows a
// dialog of its own.
class BusyFilter final : public IMessageFilter {
public:
    HRESULT STDMETHODCALLTYPE QueryInterface(REFIID id, void** object) override
    {
        *object = nullptr;
        if (!IsEqualIID(id, IID_IUnknown) && !IsEqualIID(id, IID_IMessageFilter))
            return E_NOINTERFACE;
        *object = static_cast<IMessageFilter*>(this);
        return S_OK;
    }
    ULONG STDMETHODCALLTYPE AddRef() override { return 2; }
    ULONG STDMETHODCALLTYPE Release() override { return 1; }

    DWORD STDMETHODCALLTYPE HandleInComingCall(DWORD, HTASK, DWORD, LPINTERFACEINFO) override
    {
        return isBusy() ? busyAnswer() : static_cast<DWORD>(SERVERCALL_ISHANDLED);
    }
    DWORD STDMETHODCALLTYPE RetryRejectedCall(HTASK, DWORD, DWORD) override { return static_cast<DWORD>(-1); }
    DWORD STDMETHODCALLTYPE MessagePending(HTASK, DWORD, DWORD) override { return PENDINGMSG_WAITDEFPROCESS; }
};

Factory g_factory;
BusyFilter g_filter;

int serve()
{
    if (FAILED(CoInitializeEx(nullptr, COINIT_APARTMENTTHREADED)))
        return 1;
    CoRegisterMessageFilter(&g_filter, nullptr);
    DWORD cookie = 0;
    // Single use: the next client starts a process of its own, as a new Word instance does.
    if (FAILED(CoRegisterClassObject(kStandInWordClass, &g_factory, CLSCTX_LOCAL_SERVER, REGCLS_SINGLEUSE, &cookie)))
        return 1;
    SetTimer(nullptr, 0, kLongestLifeMilliseconds, nullptr);
    MSG message;
    while (GetMessageW(&message, nullptr, 0, 0) > 0) {
        if (message.message == WM_TIMER && message.hwnd == nullptr)
            break;
        DispatchMessageW(&message);
    }
    CoRevokeClassObject(cookie);
    CoUninitialize();
    return 0;
}

} // namespace
} // namespace glyphmere::standin

int main()
{
    // Ended outright: under Wine an orderly exit now and then stalls behind COM's own threads, and a
    // stand-in that lingers would look like a Word left behind. Every file it wrote is closed already.
    TerminateProcess(GetCurrentProcess(), static_cast<UINT>(glyphmere::standin::serve()));
}
