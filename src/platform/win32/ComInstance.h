#pragma once

#include "platform/Variant.h"
#include "platform/win32/ComAutomation.h"
#include "platform/win32/ServerProcess.h"

#include <chrono>
#include <cstdint>
#include <functional>
#include <memory>
#include <optional>
#include <string>
#include <string_view>

namespace glyphmere::platform::win32 {

// What the objects of one automation instance share: how long each of their calls may take, the process
// that ComAutomation started for the instance (if it did), and whether the instance has been given up.
// A call that passes its deadline gives the instance up: its process is ended when it is ours, and every
// later call fails at once.
class ComInstance final {
public:
    enum class Origin { Created, Attached };

    ComInstance(const CallDeadlines& deadlines, Origin origin) : m_deadlines(deadlines), m_origin(origin) {}

    // The process that serves the instance, once it is known; ended at once if the instance was given up.
    void adopt(std::shared_ptr<ServerProcess> process);
    // While the instance is being created: should the deadline pass, its process is the one new process
    // of this program since before.
    void expectProcess(std::wstring program, ProcessIds before);

    // The time a call of member may take: attached instances get the short probe deadline throughout.
    std::chrono::milliseconds deadlineFor(std::string_view member) const;

    // Runs one cross-process step of the call what within limit and gives its outcome. A step the server
    // turns away as busy is tried again until the deadline passes. Throws AutomationTimeout when the
    // instance was given up before, or is given up now because the deadline passed.
    std::int32_t run(std::string_view what, std::chrono::milliseconds limit, const std::function<std::int32_t()>& step);

    // A property of the application was read. The wait for a save in the background (reads of
    // BackgroundSavingStatus until it is 0) is bounded by the document deadline, as a save itself is.
    void noteApplicationRead(std::string_view what, std::string_view member, const Variant& value);
    // A property of the application was written. Visible = True hands the instance to the user: it then
    // outlives this program.
    void noteApplicationWrite(std::string_view member, const Variant& value);

    // Bounds the release of a reference to one of the instance's objects.
    std::chrono::milliseconds releaseDeadline() const;

private:
    void endOurProcess();
    [[noreturn]] void giveUp(std::string_view what, const std::string& reason);

    CallDeadlines m_deadlines;
    Origin m_origin;
    std::shared_ptr<ServerProcess> m_process;
    std::wstring m_expectedProgram;
    ProcessIds m_runningBefore;
    bool m_givenUp = false;
    std::optional<std::chrono::steady_clock::time_point> m_backgroundSaveSeen;
};

} // namespace glyphmere::platform::win32
