#pragma once

#include <cstdint>
#include <functional>

namespace glyphmere::platform::win32 {

// Initialises COM on the calling thread once (apartment-threaded, as a window's thread must be) and
// installs the message filter below; both stay until the thread ends. Throws AutomationError when COM
// cannot be initialised.
//
// The filter: an automation server that is busy (Word while it starts, or while it shows something)
// rejects calls with "retry later". Such a call is retried every quarter second, for as long as the
// thread's CallDeadline allows, or for up to a minute outside one. A call that the server has accepted
// but does not answer is cancelled once the thread's CallDeadline has passed.
void ensureComInitialised();

// The time that the outgoing calls made on this thread while it lives may take. While it lives the
// thread is woken at the deadline (and every quarter second after it) with a posted message, so the
// waiting COM call asks the message filter, which then runs onPassed once and cancels the call.
// onPassed ends the server where it can: Wine's COM goes on waiting after a cancel until the server
// answers or is gone. Deadlines do not nest: an inner one stands in for the outer one until it goes.
class CallDeadline final {
public:
    explicit CallDeadline(std::uint32_t milliseconds, std::function<void()> onPassed = {});
    CallDeadline(const CallDeadline&) = delete;
    CallDeadline& operator=(const CallDeadline&) = delete;
    ~CallDeadline();

    bool passed() const;
    std::uint32_t remainingMilliseconds() const;
    // Whether the message filter cancelled a call because the deadline had passed.
    bool cancelledACall() const { return m_cancelled; }
    // Called by the message filter when it cancels a call because the deadline has passed.
    void cancelCall();

    // The deadline of the calling thread, or null outside one.
    static CallDeadline* current();

private:
    std::uint64_t m_end;
    std::function<void()> m_onPassed;
    CallDeadline* m_outer;
    void* m_wakeTimer = nullptr;
    bool m_cancelled = false;
};

} // namespace glyphmere::platform::win32
