#pragma once

#include <cstdint>
#include <memory>
#include <set>
#include <string>

struct _GUID;

namespace glyphmere::platform::win32 {

// The ids of the running processes of one program, by its file name ("WINWORD.EXE").
using ProcessIds = std::set<std::uint32_t>;

// The file name of the program that serves a class out of process (its LocalServer32 entry, as in
// "C:\...\WINWORD.EXE" /Automation); empty when the class has no such server.
std::wstring serverProgramOf(const _GUID& classId);
// The processes of that program running now; none for an empty name.
ProcessIds runningProcessesOf(const std::wstring& programName);

// A server process that this program started. While it is held, it belongs to a job object of its own
// that ends it when the job's last handle closes, so the process never outlives this program however
// this program ends (crash, task manager), unless it has been handed over to the user.
class ServerProcess final {
public:
    // The one process of the program that runs now and did not run before; null when there is not
    // exactly one (the server may have reused a running process, or another one started meanwhile: such
    // a process is not known to be ours, so nothing is ever ended by mistake).
    static std::shared_ptr<ServerProcess> startedSince(const std::wstring& programName, const ProcessIds& before);

    ServerProcess(const ServerProcess&) = delete;
    ServerProcess& operator=(const ServerProcess&) = delete;
    // Closing the job ends the process if it still runs and was not handed over.
    ~ServerProcess();

    std::uint32_t id() const { return m_id; }
    bool hasEnded() const;
    // Ends the process now and waits a moment for it to be gone.
    void end();
    // The user is given the process (a Word made visible with a document of theirs): it is no longer
    // ended with this program.
    void handOver();

private:
    ServerProcess(std::uint32_t id, void* process, void* job) : m_id(id), m_process(process), m_job(job) {}

    std::uint32_t m_id;
    void* m_process;
    void* m_job;
};

} // namespace glyphmere::platform::win32
