#include "ProgramRun.h"

#include "support/TestFiles.h"
#include "support/win32/WindowsFiles.h"

#include <windows.h>

namespace glyphmere::batch::testing {
namespace {

// The argument quoted as the program's start-up code splits a command line: backslashes double only
// before a quote.
std::wstring quoted(const std::wstring& argument)
{
    std::wstring text = L"\"";
    std::size_t backslashes = 0;
    for (const wchar_t c : argument) {
        if (c == L'\\') {
            ++backslashes;
            continue;
        }
        text.append(c == L'"' ? 2 * backslashes + 1 : backslashes, L'\\');
        backslashes = 0;
        text += c;
    }
    text.append(2 * backslashes, L'\\');
    return text + L"\"";
}

HANDLE inheritable(const std::string& path, DWORD access, DWORD disposition)
{
    SECURITY_ATTRIBUTES security{sizeof security, nullptr, TRUE};
    return CreateFileW(testing_support::wideExtended(path).c_str(), access, FILE_SHARE_READ | FILE_SHARE_WRITE,
                       &security, disposition, FILE_ATTRIBUTE_NORMAL, nullptr);
}

} // namespace

// The streams go through files, as the POSIX runner's do, so that a program that prints much never waits.
Finished runProgram(const std::vector<std::string>& arguments, const std::string& folder, const std::string& input)
{
    testing_support::TemporaryFolder streams;
    testing_support::writeFile(streams.file("in"), input);
    const HANDLE in = inheritable(streams.file("in"), GENERIC_READ, OPEN_EXISTING);
    const HANDLE out = inheritable(streams.file("out"), GENERIC_WRITE, CREATE_ALWAYS);
    const HANDLE err = inheritable(streams.file("err"), GENERIC_WRITE, CREATE_ALWAYS);
    std::wstring commandLine = quoted(testing_support::wideText(GLYPHMERE_BATCH_PROGRAM));
    for (const std::string& argument : arguments)
        commandLine += L" " + quoted(testing_support::wideText(argument));

    STARTUPINFOW startup{};
    startup.cb = sizeof startup;
    startup.dwFlags = STARTF_USESTDHANDLES;
    startup.hStdInput = in;
    startup.hStdOutput = out;
    startup.hStdError = err;
    PROCESS_INFORMATION process{};
    const std::wstring currentFolder = testing_support::wideText(folder);
    Finished finished;
    if (CreateProcessW(nullptr, commandLine.data(), nullptr, nullptr, TRUE, 0, nullptr, currentFolder.c_str(), &startup,
                       &process)) {
        WaitForSingleObject(process.hProcess, INFINITE);
        DWORD code = 0;
        if (GetExitCodeProcess(process.hProcess, &code))
            finished.exitStatus = static_cast<int>(code);
        CloseHandle(process.hThread);
        CloseHandle(process.hProcess);
    }
    for (const HANDLE handle : {in, out, err})
        CloseHandle(handle);
    finished.out = testing_support::readFile(streams.file("out"));
    finished.err = testing_support::readFile(streams.file("err"));
    return finished;
}

} // namespace glyphmere::batch::testing
