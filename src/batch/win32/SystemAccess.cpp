#include "batch/SystemAccess.h"

#include "batch/win32/ConsoleControl.h"
#include "batch/win32/ConsoleText.h"
#include "batch/win32/OwnedHandle.h"
#include "platform/win32/Win32FileSystem.h"
#include "platform/win32/Win32Text.h"

#include <fcntl.h>
#include <io.h>
#include <shellapi.h>

#include <cstdio>
#include <ostream>

namespace glyphmere::batch::os {
namespace {

using platform::win32::narrow;

std::atomic<bool>* stopFlag = nullptr;

// How long the console's closing waits for the documents in progress; Windows itself ends the process
// a few seconds after the close, whatever the handler does.
constexpr DWORD kCloseGraceMilliseconds = 10000;

void requestStop()
{
    if (stopFlag)
        stopFlag->store(true);
}

} // namespace

BOOL WINAPI onConsoleControl(DWORD event)
{
    switch (event) {
    case CTRL_C_EVENT:
    case CTRL_BREAK_EVENT:
        requestStop();
        return TRUE;
    case CTRL_CLOSE_EVENT:
        // Returning ends the process at once: waiting here lets the documents in progress end first, and
        // the program's own exit ends this thread.
        requestStop();
        Sleep(kCloseGraceMilliseconds);
        return TRUE;
    default:
        return FALSE;
    }
}

namespace {

// The final path that GetFinalPathNameByHandleW gives, as it is usually written: without "\\?\".
std::string withoutExtendedPrefix(std::wstring path)
{
    if (path.starts_with(L"\\\\?\\UNC\\"))
        return narrow(L"\\\\" + path.substr(8));
    if (path.starts_with(L"\\\\?\\"))
        return narrow(path.substr(4));
    return narrow(path);
}

// The path of the open file, links resolved; empty when the system cannot tell.
std::wstring finalPath(HANDLE file)
{
    const DWORD needed = GetFinalPathNameByHandleW(file, nullptr, 0, FILE_NAME_NORMALIZED);
    std::wstring resolved(needed, L'\0');
    const DWORD length = needed ? GetFinalPathNameByHandleW(file, resolved.data(), needed, FILE_NAME_NORMALIZED) : 0;
    resolved.resize(length < needed ? length : 0);
    return resolved;
}

std::wstring fullPath(const std::wstring& path)
{
    const DWORD needed = GetFullPathNameW(path.c_str(), 0, nullptr, nullptr);
    std::wstring full(needed, L'\0');
    const DWORD length = needed ? GetFullPathNameW(path.c_str(), needed, full.data(), nullptr) : 0;
    full.resize(length < needed ? length : 0);
    return full;
}

} // namespace

std::string lastErrorText() { return platform::win32::systemMessage(GetLastError()); }

void prepareProcess()
{
    // A list read from standard input is bytes: no CRLF turned into LF, no end at a Ctrl-Z.
    _setmode(_fileno(stdin), _O_BINARY);
    // The progress line redraws itself with escape codes, which a console reads only when asked to.
    const HANDLE error = GetStdHandle(STD_ERROR_HANDLE);
    DWORD mode = 0;
    if (GetConsoleMode(error, &mode))
        SetConsoleMode(error, mode | ENABLE_VIRTUAL_TERMINAL_PROCESSING);
}

std::vector<std::string> programArguments(int, char*[])
{
    // argv holds the arguments in the ANSI code page, which loses every character outside it.
    int count = 0;
    wchar_t** wide = CommandLineToArgvW(GetCommandLineW(), &count);
    std::vector<std::string> arguments;
    for (int index = 1; wide && index < count; ++index)
        arguments.push_back(narrow(wide[index]));
    LocalFree(wide);
    return arguments;
}

std::ostream& standardOutput()
{
    static ConsoleTextBuffer buffer(GetStdHandle(STD_OUTPUT_HANDLE));
    static std::ostream stream(&buffer);
    return stream;
}

std::ostream& standardError()
{
    static ConsoleTextBuffer buffer(GetStdHandle(STD_ERROR_HANDLE));
    static std::ostream stream(&buffer);
    return stream;
}

bool standardErrorIsTerminal()
{
    // A console too old for escape codes counts as none: the progress line would show them as text.
    DWORD mode = 0;
    return GetConsoleMode(GetStdHandle(STD_ERROR_HANDLE), &mode) && (mode & ENABLE_VIRTUAL_TERMINAL_PROCESSING);
}

void stopOnInterrupt(std::atomic<bool>& stop)
{
    stopFlag = &stop;
    SetConsoleCtrlHandler(onConsoleControl, TRUE);
}

std::optional<std::string> realPath(const std::string& path)
{
    const OwnedHandle file = ownHandle(CreateFileW(platform::win32::extendedPath(path).c_str(), 0,
                                                   FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE, nullptr,
                                                   OPEN_EXISTING, FILE_FLAG_BACKUP_SEMANTICS, nullptr));
    if (!file)
        return std::nullopt;
    std::wstring resolved = finalPath(file.get());
    // A system that cannot name the handle's file (Wine, for some long paths): the full path, made from
    // the path alone, is the next best key.
    if (resolved.empty())
        resolved = fullPath(platform::win32::extendedPath(path));
    if (resolved.empty())
        return std::nullopt;
    return withoutExtendedPrefix(std::move(resolved));
}

std::unique_ptr<platform::FileSystem> fileSystemService()
{
    return std::make_unique<platform::win32::Win32FileSystem>();
}

} // namespace glyphmere::batch::os
