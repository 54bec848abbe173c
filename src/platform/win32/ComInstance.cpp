#include "platform/win32/ComInstance.h"

#include "common/AsciiCase.h"
#include "platform/AutomationError.h"
#include "platform/win32/ComApartment.h"
#include "platform/win32/ServerProcess.h"

#include <windows.h>

#include <algorithm>
#include <cstdio>

namespace glyphmere::platform::win32 {
namespace {

// The calls that may take long because a whole document is read or written, or Word is ending.
constexpr const char* kDocumentMembers[] = {"Open", "SaveAs2", "SaveAs", "Save", "Close", "Quit"};
constexpr const char* kBackgroundSaveStatus = "BackgroundSavingStatus";
constexpr const char* kVisible = "Visible";
constexpr DWORD kBusyRetryMilliseconds = 250;

constexpr const char* kMayHaveWaited = "; a hidden dialog may have been waiting.";
constexpr const char* kGivenUpBefore = "Word had stopped answering before and was given up.";

// "60 seconds", "1 second", "2.5 seconds".
std::string secondsText(std::chrono::milliseconds limit)
{
    const auto count = limit.count();
    char text[32];
    if (count % 1000 == 0)
        std::snprintf(text, sizeof text, "%lld second%s", static_cast<long long>(count / 1000),
                      count == 1000 ? "" : "s");
    else
        std::snprintf(text, sizeof text, "%.1f seconds", static_cast<double>(count) / 1000.0);
    return text;
}

// The server refused the call as busy: "retry later" that the message filter no longer retried, or a
// rejection outright (under Wine, whose COM ignores "retry later", a busy server can only reject).
bool turnedAway(HRESULT outcome) { return outcome == RPC_E_CALL_REJECTED || outcome == RPC_E_SERVERCALL_RETRYLATER; }

} // namespace

void ComInstance::adopt(std::shared_ptr<ServerProcess> process)
{
    m_process = std::move(process);
    if (m_givenUp)
        endOurProcess();
}

std::chrono::milliseconds ComInstance::deadlineFor(std::string_view member) const
{
    if (m_origin == Origin::Attached)
        return m_deadlines.probe;
    const bool document = std::any_of(std::begin(kDocumentMembers), std::end(kDocumentMembers),
                                      [member](const char* name) { return common::equalsIgnoringCase(member, name); });
    return document ? m_deadlines.document : m_deadlines.call;
}

std::int32_t ComInstance::run(std::string_view what, std::chrono::milliseconds limit,
                              const std::function<std::int32_t()>& step)
{
    if (m_givenUp)
        throw AutomationTimeout(std::string(what) + " failed: " + kGivenUpBefore);
    const CallDeadline deadline(static_cast<std::uint32_t>(limit.count()), [this] { endOurProcess(); });
    HRESULT outcome = step();
    // The last try starts well before the deadline, so a refusal is never mistaken for a hang.
    while (turnedAway(outcome) && deadline.remainingMilliseconds() > kBusyRetryMilliseconds) {
        Sleep(kBusyRetryMilliseconds);
        outcome = step();
    }
    if (deadline.cancelledACall() || (outcome == RPC_E_CALL_CANCELED && deadline.passed()))
        giveUp(what, "Word did not answer within " + secondsText(limit) + kMayHaveWaited);
    if (turnedAway(outcome))
        giveUp(what, "Word stayed busy for " + secondsText(limit) + " and turned the call away" + kMayHaveWaited);
    return outcome;
}

void ComInstance::noteApplicationRead(std::string_view what, std::string_view member, const Variant& status)
{
    if (!common::equalsIgnoringCase(member, kBackgroundSaveStatus))
        return;
    if (status.kind() != Variant::Kind::Int32 || status.toInt32() == 0) {
        m_backgroundSaveSeen.reset();
        return;
    }
    const auto now = std::chrono::steady_clock::now();
    if (!m_backgroundSaveSeen)
        m_backgroundSaveSeen = now;
    else if (now - *m_backgroundSaveSeen >= m_deadlines.document)
        giveUp(what, "Word did not finish saving within " + secondsText(m_deadlines.document) + kMayHaveWaited);
}

void ComInstance::noteApplicationWrite(std::string_view member, const Variant& value)
{
    if (m_process && common::equalsIgnoringCase(member, kVisible) && value.kind() == Variant::Kind::Bool &&
        value.toBool())
        m_process->handOver();
}

std::chrono::milliseconds ComInstance::releaseDeadline() const
{
    return m_givenUp || m_origin == Origin::Attached ? m_deadlines.probe : m_deadlines.call;
}

void ComInstance::expectProcess(std::wstring program, ProcessIds before)
{
    m_expectedProgram = std::move(program);
    m_runningBefore = std::move(before);
}

void ComInstance::endOurProcess()
{
    if (!m_process && !m_expectedProgram.empty())
        m_process = ServerProcess::startedSince(m_expectedProgram, m_runningBefore);
    // Only a process this program started is ended; an instance found running is the user's.
    if (m_process && m_origin == Origin::Created)
        m_process->end();
}

void ComInstance::giveUp(std::string_view what, const std::string& reason)
{
    m_givenUp = true;
    endOurProcess();
    throw AutomationTimeout(std::string(what) + " failed: " + reason);
}

} // namespace glyphmere::platform::win32
