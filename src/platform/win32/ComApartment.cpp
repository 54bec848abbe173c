#include "platform/win32/ComApartment.h"

#include "platform/AutomationError.h"
#include "platform/win32/Win32Text.h"

#include <objbase.h>

#include <cstdint>
#include <utility>

namespace glyphmere::platform::win32 {
namespace {

constexpr DWORD kRetryDelayMilliseconds = 250;
constexpr DWORD kRetryWindowMilliseconds = 60'000;
constexpr DWORD kCancelCall = static_cast<DWORD>(-1);
// How often a thread past its deadline is woken again, should a wake-up have been taken by another wait.
constexpr DWORD kWakePeriodMilliseconds = 250;

thread_local CallDeadline* t_currentDeadline = nullptr;

// Lives as long as its apartment, so its reference count has nothing to free.
class DeadlineFilter final : public IMessageFilter {
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
        if (rejectType != SERVERCALL_RETRYLATER)
            return kCancelCall;
        const CallDeadline* deadline = CallDeadline::current();
        const bool retry =
            deadline ? deadline->remainingMilliseconds() > kRetryDelayMilliseconds : elapsed < kRetryWindowMilliseconds;
        return retry ? kRetryDelayMilliseconds : kCancelCall;
    }
    DWORD STDMETHODCALLTYPE MessagePending(HTASK, DWORD, DWORD) override
    {
        CallDeadline* deadline = CallDeadline::current();
        if (!deadline || !deadline->passed())
            return PENDINGMSG_WAITDEFPROCESS;
        deadline->cancelCall();
        return PENDINGMSG_CANCELCALL;
    }
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
    DeadlineFilter m_filter;
    IMessageFilter* m_previousFilter = nullptr;
    bool m_filterInstalled = false;
};

// Runs on a thread of the timer queue: a posted message ends the waiting thread's sleep in COM's loop.
void CALLBACK wakeThread(void* threadId, BOOLEAN)
{
    PostThreadMessageW(static_cast<DWORD>(reinterpret_cast<std::uintptr_t>(threadId)), WM_NULL, 0, 0);
}

} // namespace

void ensureComInitialised()
{
    thread_local ComApartment apartment;
    // A thread already in the multithreaded apartment can use COM all the same.
    const HRESULT result = apartment.result();
    if (FAILED(result) && result != RPC_E_CHANGED_MODE)
        throw AutomationError("COM could not be initialised: " + systemMessage(static_cast<std::uint32_t>(result)));
}

CallDeadline::CallDeadline(std::uint32_t milliseconds, std::function<void()> onPassed)
    : m_end(GetTickCount64() + milliseconds), m_onPassed(std::move(onPassed)),
      m_outer(std::exchange(t_currentDeadline, this))
{
    HANDLE timer = nullptr;
    const auto threadId = reinterpret_cast<void*>(static_cast<std::uintptr_t>(GetCurrentThreadId()));
    // Without the timer a hung call is not cancelled; the call itself is no less correct, so it goes on.
    if (CreateTimerQueueTimer(&timer, nullptr, wakeThread, threadId, milliseconds, kWakePeriodMilliseconds,
                              WT_EXECUTEINTIMERTHREAD))
        m_wakeTimer = timer;
}

CallDeadline::~CallDeadline()
{
    // Waits for a wake-up that is running, so none is posted after the deadline has gone.
    if (m_wakeTimer)
        DeleteTimerQueueTimer(nullptr, m_wakeTimer, INVALID_HANDLE_VALUE);
    t_currentDeadline = m_outer;
}

bool CallDeadline::passed() const { return GetTickCount64() >= m_end; }

std::uint32_t CallDeadline::remainingMilliseconds() const
{
    const std::uint64_t now = GetTickCount64();
    return now >= m_end ? 0 : static_cast<std::uint32_t>(m_end - now);
}

void CallDeadline::cancelCall()
{
    if (!m_cancelled && m_onPassed)
        m_onPassed();
    m_cancelled = true;
}

CallDeadline* CallDeadline::current() { return t_currentDeadline; }

} // namespace glyphmere::platform::win32
