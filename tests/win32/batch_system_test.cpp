// glyphmere-batch's own access to Windows: its arguments, its output, its interruption and the files it
// writes, through a child process where the system is what is tested.
#include "batch/JsonLinesFile.h"
#include "batch/SystemAccess.h"
#include "batch/win32/ConsoleControl.h"
#include "batch/win32/ConsoleText.h"
#include "common/SafeReplace.h"
#include "platform/win32/Win32Text.h"

#include "TestTree.h"
#include "TinyCheck.h"

#include <atomic>
#include <cstring>
#include <cwchar>
#include <ostream>
#include <thread>

using namespace glyphmere;
using namespace glyphmere::platform::win32::test;
namespace os = batch::os;
using platform::win32::widen;

namespace {

constexpr const char* kEchoMode = "--echo-arguments";
constexpr const char* kInterruptMode = "--interrupt-self";
constexpr DWORD kChildTimeoutMilliseconds = 30000;

// Arguments in several scripts, with the spaces and quotes a command line must carry.
const std::vector<std::string> kArguments = {
    "\xC3\x9C"
    "berpr\xC3\xBC"
    "fung caf\xC3\xA9",                                     // Überprüfung café
    "\xE6\x97\xA5\xE6\x9C\xAC\xE8\xAA\x9E.docx",            // 日本語.docx
    "--font=\xD0\x9E\xD1\x82\xD1\x87\xD1\x91\xD1\x82 Sans", // Отчёт
    "\xD8\xB9\xD8\xB1\xD8\xA8\xD9\x8A",                     // عربي
    "emoji \xF0\x9F\x93\x84",                               // a character outside the BMP
    "say \"hi\"",
    "",
};

// The argument as the Windows command line carries it (the rules CommandLineToArgvW reads).
std::wstring quoted(const std::string& argument)
{
    std::wstring text = L"\"";
    std::size_t backslashes = 0;
    for (const wchar_t c : widen(argument)) {
        if (c == L'"')
            text.append(backslashes + 1, L'\\');
        backslashes = c == L'\\' ? backslashes + 1 : 0;
        text += c;
    }
    return text.append(backslashes, L'\\') + L"\"";
}

std::wstring thisProgram()
{
    wchar_t path[MAX_PATH];
    const DWORD length = GetModuleFileNameW(nullptr, path, MAX_PATH);
    return std::wstring(path, length);
}

// Runs this program as a child in the mode with the arguments and the given standard output (none: the
// child's console's own); its exit code.
// creation: CreateProcessW's flags (a console of the child's own, for console events).
DWORD runChild(const char* mode, const std::vector<std::string>& arguments, HANDLE output, DWORD creation = 0)
{
    std::wstring commandLine = quoted(platform::win32::narrow(thisProgram())) + L" " + widen(mode);
    for (const std::string& argument : arguments)
        commandLine += L" " + quoted(argument);
    STARTUPINFOW startup{};
    startup.cb = sizeof startup;
    if (output) {
        startup.dwFlags = STARTF_USESTDHANDLES;
        startup.hStdOutput = output;
        startup.hStdError = output;
        startup.hStdInput = GetStdHandle(STD_INPUT_HANDLE);
    }
    PROCESS_INFORMATION process{};
    if (!CreateProcessW(nullptr, commandLine.data(), nullptr, nullptr, TRUE, creation, nullptr, nullptr, &startup,
                        &process))
        return GetLastError();
    DWORD code = STILL_ACTIVE;
    if (WaitForSingleObject(process.hProcess, kChildTimeoutMilliseconds) == WAIT_OBJECT_0)
        GetExitCodeProcess(process.hProcess, &code);
    else
        TerminateProcess(process.hProcess, 1);
    CloseHandle(process.hThread);
    CloseHandle(process.hProcess);
    return code;
}

int echoArguments(int argc, char* argv[])
{
    std::ostream& out = os::standardOutput();
    for (const std::string& argument : os::programArguments(argc, argv))
        out << argument << '\n';
    out.flush();
    return out ? 0 : 1;
}

std::string expectedEcho()
{
    std::string text = std::string(kEchoMode) + "\n";
    for (const std::string& argument : kArguments)
        text += argument + "\n";
    return text;
}

std::string readPipe(HANDLE pipe)
{
    std::string bytes;
    char chunk[4096];
    DWORD count = 0;
    while (ReadFile(pipe, chunk, sizeof chunk, &count, nullptr) && count > 0)
        bytes.append(chunk, count);
    return bytes;
}

// Folders deep enough that a file in them passes the classic limit of 260 characters, named in Cyrillic.
std::string deepFolder(const TemporaryTree& tree)
{
    std::string deep = tree.root();
    for (int level = 0; level < 5; ++level)
        deep += "\\\xD0\x9F\xD0\xB0\xD0\xBF\xD0\xBA\xD0\xB0 " + std::to_string(level) + std::string(45, 'x'); // Папка
    return deep;
}

bool waitUntilSet(const std::atomic<bool>& flag)
{
    for (int tries = 0; tries < 500 && !flag.load(); ++tries)
        Sleep(10);
    return flag.load();
}

// In a console of its own, sends the console event named by its argument (0 Ctrl-C, 1 Ctrl-Break) through
// the system: 0 when the installed handler set the stop flag, 2 when it did not, 1000 + the system's error
// when the system would not send the event. Ctrl-Break goes to the child's own process group.
int interruptSelf(const char* event)
{
    static std::atomic<bool> stop{false};
    os::stopOnInterrupt(stop);
    const bool breakEvent = std::strcmp(event, "1") == 0;
    const DWORD group = breakEvent ? GetCurrentProcessId() : 0;
    if (!GenerateConsoleCtrlEvent(breakEvent ? CTRL_BREAK_EVENT : CTRL_C_EVENT, group))
        return 1000 + static_cast<int>(GetLastError());
    return waitUntilSet(stop) ? 0 : 2;
}

} // namespace

TEST_CASE(Arguments_InSeveralScripts_ReachTheChildAsUtf8BytesInAPipe)
{
    SECURITY_ATTRIBUTES inherited{sizeof inherited, nullptr, TRUE};
    HANDLE reading = nullptr;
    HANDLE writing = nullptr;
    CHECK(CreatePipe(&reading, &writing, &inherited, 0));
    const DWORD code = runChild(kEchoMode, kArguments, writing);
    CloseHandle(writing);
    const std::string output = readPipe(reading);
    CloseHandle(reading);

    CHECK_EQ(code, DWORD{0});
    CHECK_EQ(output, expectedEcho());
}

TEST_CASE(Output_ToAFileAtALongPath_IsTheUtf8BytesWithoutCarriageReturns)
{
    const TemporaryTree tree;
    const std::string folder = deepFolder(tree);
    os::createFolders(folder);
    const std::string path = folder + "\\\xE5\x87\xBA\xE5\x8A\x9B.txt"; // 出力.txt
    CHECK(widen(path).size() > 260);
    SECURITY_ATTRIBUTES inherited{sizeof inherited, nullptr, TRUE};
    HANDLE file = CreateFileW(wideWithPrefix(path).c_str(), GENERIC_WRITE, FILE_SHARE_READ, &inherited, CREATE_ALWAYS,
                              FILE_ATTRIBUTE_NORMAL, nullptr);
    CHECK(file != INVALID_HANDLE_VALUE);
    const DWORD code = runChild(kEchoMode, kArguments, file);
    CloseHandle(file);

    CHECK_EQ(code, DWORD{0});
    CHECK_EQ(common::readWholeFile(path), expectedEcho());
}

TEST_CASE(WholeUtf8Length_HoldsBackOnlyASequenceNotYetEnded)
{
    const struct {
        std::string text;
        std::size_t whole;
    } rows[] = {
        {"", 0},           {"plain", 5},          {"caf\xC3", 3},      {"caf\xC3\xA9", 5},
        {"\xE6\x97", 0},   {"a\xE6\x97\xA5", 4},  {"\xF0\x9F\x93", 0}, {"\xF0\x9F\x93\x84", 4},
        {"stray \x80", 7}, {"bad lead \xFF", 10},
    };
    for (const auto& row : rows)
        CHECK_EQ(os::wholeUtf8Length(row.text), row.whole);
}

TEST_CASE(ConsoleControlEvents_SetTheStopFlag)
{
    // Each event through the system, to a child with a console of its own and no window (no display needed).
    CHECK_EQ(runChild(kInterruptMode, {"0"}, nullptr, CREATE_NO_WINDOW), DWORD{0});
    // Ctrl-Break to the child's own process group (where Ctrl-C is ignored, as Windows starts such a group).
    const DWORD breakResult = runChild(kInterruptMode, {"1"}, nullptr, CREATE_NO_WINDOW | CREATE_NEW_PROCESS_GROUP);
    static std::atomic<bool> stop{false};
    os::stopOnInterrupt(stop);
    if (breakResult == 1000 + ERROR_INVALID_HANDLE) {
        // Wine 8 sends no Ctrl-Break; the handler is called as Windows calls it.
        std::printf("  Ctrl-Break could not be sent here: the handler is called directly\n");
        CHECK(os::onConsoleControl(CTRL_BREAK_EVENT) && stop.load());
    } else {
        CHECK_EQ(breakResult, DWORD{0});
    }
    // The console's closing cannot be sent by a program either. Its handler holds the process while the
    // documents in progress end, so the flag is looked at meanwhile.
    stop = false;
    std::thread([] { os::onConsoleControl(CTRL_CLOSE_EVENT); }).detach();
    CHECK(waitUntilSet(stop));
    CHECK(!os::onConsoleControl(CTRL_LOGOFF_EVENT));
}

TEST_CASE(ListAndReports_AtALongPathInAFolderNotNamedInAscii_AreWrittenWholeAndReadBack)
{
    const TemporaryTree tree;
    const std::string folder = deepFolder(tree);
    os::createFolders(folder);
    os::createFolders(folder); // a folder that is there already is no failure
    const std::string list = folder + "\\\xD1\x81\xD0\xBF\xD0\xB8\xD1\x81\xD0\xBE\xD0\xBA.txt"; // список.txt
    const std::string report = folder + "\\report.json";
    const std::string lines = folder + "\\report.jsonl";
    CHECK(widen(list).size() > 260);

    const std::string listBytes = std::string("a.docx\n\xE6\x97\xA5.docx\0b.docx", 21);
    common::writeFileSafely(list, "an older list", {});
    common::writeFileSafely(list, listBytes, {});
    common::writeFileSafely(report, "{\"documents\": []}\n", {});
    batch::JsonLinesFile jsonLines(lines);
    CHECK(jsonLines.append("{\"path\": \"a\"}\n") && jsonLines.append("{\"path\": \"\xC3\xA9\"}\n"));
    CHECK(jsonLines.finish());

    CHECK_EQ(common::readWholeFile(list), listBytes);
    CHECK_EQ(common::readWholeFile(report), std::string("{\"documents\": []}\n"));
    CHECK_EQ(common::readWholeFile(lines), std::string("{\"path\": \"a\"}\n{\"path\": \"\xC3\xA9\"}\n"));
    CHECK(os::pathExists(list));
    CHECK_EQ(os::realPath(list), std::optional<std::string>(list));
    CHECK_EQ(os::realPath(folder + "\\.\\x\\..\\report.json"), std::optional<std::string>(report));
    // Nothing of the safe writes is left beside the three files.
    WIN32_FIND_DATAW entry{};
    HANDLE find = FindFirstFileW(wideWithPrefix(folder + "\\*").c_str(), &entry);
    int entries = 0;
    for (BOOL more = find != INVALID_HANDLE_VALUE; more; more = FindNextFileW(find, &entry))
        entries += std::wcscmp(entry.cFileName, L".") != 0 && std::wcscmp(entry.cFileName, L"..") != 0 ? 1 : 0;
    FindClose(find);
    CHECK_EQ(entries, 3);
}

TEST_CASE(MissingFiles_FailWithTheSystemsReason)
{
    const TemporaryTree tree;
    CHECK_THROWS_WITH(batch::JsonLinesFile(tree.path("missing\\report.jsonl")),
                      platform::win32::systemMessage(ERROR_PATH_NOT_FOUND));
    CHECK(!os::pathExists(tree.path("missing.txt")));
    CHECK(!os::permissionBits(tree.path("missing.txt")));
    CHECK(!os::realPath(tree.path("missing.txt")));
}

int main(int argc, char* argv[])
{
    if (argc > 1 && std::strcmp(argv[1], kEchoMode) == 0)
        return echoArguments(argc, argv);
    if (argc > 1 && std::strcmp(argv[1], kInterruptMode) == 0)
        return interruptSelf(argc > 2 ? argv[2] : "0");
    return tinycheck::runAllTests();
}
