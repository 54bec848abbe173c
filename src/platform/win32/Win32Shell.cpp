#include "platform/win32/Win32Shell.h"

#include "platform/win32/Win32Text.h"

#include <windows.h>

#include <algorithm>

namespace glyphmere::platform::win32 {
namespace {

// The Windows folder's explorer.exe by its full path, so a program of that name in the current folder
// is never started instead.
std::optional<std::wstring> explorerProgram()
{
    wchar_t folder[MAX_PATH];
    const UINT length = GetWindowsDirectoryW(folder, MAX_PATH);
    if (length == 0 || length >= MAX_PATH)
        return std::nullopt;
    return std::wstring(folder, length) + L"\\explorer.exe";
}

} // namespace

std::optional<std::wstring> explorerCommandLine(const std::string& address)
{
    const bool unsafe = std::any_of(address.begin(), address.end(), [](char c) {
        return c == '"' || static_cast<unsigned char>(c) < 0x20 || c == 0x7F;
    });
    if (address.empty() || unsafe)
        return std::nullopt;
    return L"explorer \"" + widen(address) + L"\"";
}

bool Win32Shell::openUrl(const std::string& address)
{
    std::optional<std::wstring> commandLine = explorerCommandLine(address);
    const std::optional<std::wstring> program = explorerProgram();
    if (!commandLine || !program)
        return false;
    STARTUPINFOW startup{};
    startup.cb = sizeof startup;
    startup.dwFlags = STARTF_USESHOWWINDOW;
    startup.wShowWindow = SW_SHOWMINIMIZED;
    PROCESS_INFORMATION process{};
    if (!CreateProcessW(program->c_str(), commandLine->data(), nullptr, nullptr, FALSE, 0, nullptr, nullptr, &startup,
                        &process))
        return false;
    // The browser runs on its own; nothing of it is kept.
    CloseHandle(process.hThread);
    CloseHandle(process.hProcess);
    return true;
}

} // namespace glyphmere::platform::win32
