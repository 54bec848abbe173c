#include "StandInSession.h"

#include "TestTree.h"
#include "platform/win32/Win32Text.h"
#include "StandInSupport.h"
#include "StandInWord.h"
#include "TinyCheck.h"

#include <objbase.h>

#include <algorithm>

namespace glyphmere::platform::win32::test {
namespace {

bool setDefaultValue(HKEY root, const std::wstring& keyPath, const wchar_t* name, const std::wstring& value)
{
    HKEY key = nullptr;
    if (RegCreateKeyExW(root, keyPath.c_str(), 0, nullptr, 0, KEY_SET_VALUE, nullptr, &key, nullptr) != ERROR_SUCCESS)
        return false;
    const auto bytes = static_cast<DWORD>((value.size() + 1) * sizeof(wchar_t));
    const bool written =
        RegSetValueExW(key, name, 0, REG_SZ, reinterpret_cast<const BYTE*>(value.c_str()), bytes) == ERROR_SUCCESS;
    RegCloseKey(key);
    return written;
}

std::wstring besideThisProgram(const wchar_t* name)
{
    wchar_t program[MAX_PATH];
    const DWORD length = GetModuleFileNameW(nullptr, program, MAX_PATH);
    std::wstring path(program, length);
    return path.substr(0, path.find_last_of(L"\\/") + 1) + name;
}

} // namespace

ProcessIds standInProcesses() { return runningProcessesOf(standin::kServerProgram); }

bool waitUntilEnded(const ProcessIds& processes, unsigned timeoutMilliseconds)
{
    const ULONGLONG until = GetTickCount64() + timeoutMilliseconds;
    for (;;) {
        const ProcessIds running = standInProcesses();
        const bool anyLeft = std::any_of(processes.begin(), processes.end(),
                                         [&running](std::uint32_t id) { return running.count(id) > 0; });
        if (!anyLeft)
            return true;
        if (GetTickCount64() >= until)
            return false;
        Sleep(100);
    }
}

void endStandIns()
{
    for (const std::uint32_t id : standInProcesses()) {
        if (HANDLE process = OpenProcess(PROCESS_TERMINATE | SYNCHRONIZE, FALSE, id)) {
            TerminateProcess(process, 1);
            WaitForSingleObject(process, 5000);
            CloseHandle(process);
        }
    }
}

bool registerStandInWord()
{
    wchar_t classId[64];
    StringFromGUID2(standin::kStandInWordClass, classId, 64);
    const std::wstring classes = L"Software\\Classes\\";
    const std::wstring classKey = classes + L"CLSID\\" + classId;
    // The current user's classes, where a per-user install registers and where Windows looks first. Wine
    // 8 reads the machine's classes only, so the test's throw-away prefix gets the same keys there too.
    for (HKEY root : {HKEY_CURRENT_USER, HKEY_LOCAL_MACHINE}) {
        const bool registered =
            setDefaultValue(root, classes + L"Word.Application\\CLSID", nullptr, classId) &&
            setDefaultValue(root, classKey + L"\\ProgID", nullptr, L"Word.Application") &&
            setDefaultValue(root, classKey + L"\\LocalServer32", nullptr, besideThisProgram(standin::kServerProgram));
        if (!registered)
            return false;
    }
    return true;
}

StandInLog::StandInLog()
{
    static int count = 0;
    wchar_t temporary[MAX_PATH];
    GetTempPathW(MAX_PATH, temporary);
    m_path = std::wstring(temporary) + L"glyphmere-standin-" + std::to_wstring(GetCurrentProcessId()) + L"-" +
             std::to_wstring(++count) + L".log";
    DeleteFileW(m_path.c_str());
    writeSwitches();
}

StandInLog::~StandInLog()
{
    DeleteFileW(standin::controlFilePath().c_str());
    DeleteFileW(m_path.c_str());
}

void StandInLog::set(const std::string& name, const std::string& value)
{
    m_switches[name] = value;
    writeSwitches();
}

void StandInLog::writeSwitches() const
{
    std::string text = std::string(standin::kLogSwitch) + "=" + narrow(m_path) + "\n";
    for (const auto& [name, value] : m_switches)
        text += name + "=" + value + "\n";
    CHECK(standin::replaceFile(standin::controlFilePath(), text));
}

std::vector<std::string> StandInLog::lines() const
{
    const std::string text = TemporaryTree::read(narrow(m_path)).value_or("");
    std::vector<std::string> lines;
    std::size_t start = 0;
    for (std::size_t end = text.find('\n'); end != std::string::npos; end = text.find('\n', start)) {
        lines.push_back(text.substr(start, end - start));
        start = end + 1;
    }
    return lines;
}

void StandInLog::failAt(const std::string& call) { set(standin::kFailSwitch, call); }

void StandInLog::clear() const { DeleteFileW(m_path.c_str()); }

} // namespace glyphmere::platform::win32::test
