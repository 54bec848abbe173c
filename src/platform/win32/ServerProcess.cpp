#include "platform/win32/ServerProcess.h"

#include <windows.h>

#include <objbase.h>
#include <tlhelp32.h>

#include <cwctype>

namespace glyphmere::platform::win32 {
namespace {

// How long end() waits for the ended process to be gone; ending is asynchronous.
constexpr DWORD kEndWaitMilliseconds = 5'000;

std::wstring lowered(std::wstring text)
{
    for (wchar_t& c : text)
        c = static_cast<wchar_t>(std::towlower(c));
    return text;
}

// "WINWORD.EXE" from a command line: the text up to ".exe", without quotes and folders.
std::wstring programNameIn(const std::wstring& commandLine)
{
    const std::size_t extension = lowered(commandLine).find(L".exe");
    if (extension == std::wstring::npos)
        return {};
    const std::wstring program = commandLine.substr(0, extension + 4);
    const std::size_t folderEnd = program.find_last_of(L"\\/\"");
    return folderEnd == std::wstring::npos ? program : program.substr(folderEnd + 1);
}

// A job whose processes end when its last handle closes.
HANDLE newEndingJob()
{
    HANDLE job = CreateJobObjectW(nullptr, nullptr);
    if (!job)
        return nullptr;
    JOBOBJECT_EXTENDED_LIMIT_INFORMATION limits{};
    limits.BasicLimitInformation.LimitFlags = JOB_OBJECT_LIMIT_KILL_ON_JOB_CLOSE;
    if (!SetInformationJobObject(job, JobObjectExtendedLimitInformation, &limits, sizeof limits)) {
        CloseHandle(job);
        return nullptr;
    }
    return job;
}

} // namespace

std::wstring serverProgramOf(const GUID& classId)
{
    wchar_t classText[64];
    StringFromGUID2(classId, classText, 64);
    const std::wstring key = std::wstring(L"CLSID\\") + classText + L"\\LocalServer32";
    wchar_t command[1024];
    DWORD bytes = sizeof command;
    if (RegGetValueW(HKEY_CLASSES_ROOT, key.c_str(), nullptr, RRF_RT_REG_SZ, nullptr, command, &bytes) != ERROR_SUCCESS)
        return {};
    return programNameIn(command);
}

ProcessIds runningProcessesOf(const std::wstring& programName)
{
    ProcessIds ids;
    if (programName.empty())
        return ids;
    HANDLE snapshot = CreateToolhelp32Snapshot(TH32CS_SNAPPROCESS, 0);
    if (snapshot == INVALID_HANDLE_VALUE)
        return ids;
    const std::wstring wanted = lowered(programName);
    PROCESSENTRY32W entry{};
    entry.dwSize = sizeof entry;
    for (BOOL more = Process32FirstW(snapshot, &entry); more; more = Process32NextW(snapshot, &entry)) {
        if (lowered(entry.szExeFile) == wanted)
            ids.insert(entry.th32ProcessID);
    }
    CloseHandle(snapshot);
    return ids;
}

std::shared_ptr<ServerProcess> ServerProcess::startedSince(const std::wstring& programName, const ProcessIds& before)
{
    ProcessIds started;
    for (const std::uint32_t id : runningProcessesOf(programName)) {
        if (!before.count(id))
            started.insert(id);
    }
    if (started.size() != 1)
        return nullptr;
    const DWORD id = *started.begin();
    HANDLE process =
        OpenProcess(PROCESS_TERMINATE | PROCESS_SET_QUOTA | SYNCHRONIZE | PROCESS_QUERY_LIMITED_INFORMATION, FALSE, id);
    if (!process)
        return nullptr;
    HANDLE job = newEndingJob();
    // Without a job the process is still ours to end on a deadline; only the end with this program is lost.
    if (job && !AssignProcessToJobObject(job, process)) {
        CloseHandle(job);
        job = nullptr;
    }
    return std::shared_ptr<ServerProcess>(new ServerProcess(id, process, job));
}

ServerProcess::~ServerProcess()
{
    if (m_job)
        CloseHandle(m_job);
    CloseHandle(m_process);
}

bool ServerProcess::hasEnded() const { return WaitForSingleObject(m_process, 0) == WAIT_OBJECT_0; }

void ServerProcess::end()
{
    TerminateProcess(m_process, 1);
    WaitForSingleObject(m_process, kEndWaitMilliseconds);
}

void ServerProcess::handOver()
{
    if (!m_job)
        return;
    // Without the limit the job's closing no longer ends the process. The job is our own, made with every
    // right, so changing its limits has nothing to fail on.
    JOBOBJECT_EXTENDED_LIMIT_INFORMATION limits{};
    SetInformationJobObject(m_job, JobObjectExtendedLimitInformation, &limits, sizeof limits);
}

} // namespace glyphmere::platform::win32
