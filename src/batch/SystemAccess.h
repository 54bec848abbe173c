#pragma once

#include "platform/FileSystem.h"

#include <atomic>
#include <cstdint>
#include <iosfwd>
#include <memory>
#include <optional>
#include <string>
#include <vector>

// What glyphmere-batch itself asks of the operating system, outside the engine. The build picks the
// POSIX or the Win32 implementation (posix/, win32/). Paths and texts are UTF-8 on both.
namespace glyphmere::batch::os {

// Readies the process before anything else runs: on POSIX a file-size limit makes a write fail instead
// of ending the program, and the time zone is named once; on Windows standard input is read as bytes and
// a console on standard error is asked to read escape codes.
void prepareProcess();

// The arguments after the program's name, in UTF-8 (on Windows read as UTF-16 from the command line).
std::vector<std::string> programArguments(int argc, char* argv[]);

// The program's standard output and error: bytes as written when they go to a file or a pipe; on a
// Windows console, the UTF-8 shown as the characters it stands for.
std::ostream& standardOutput();
std::ostream& standardError();
// Whether standard error is a terminal that draws the progress line's escape codes.
bool standardErrorIsTerminal();

// Sets stop when the user interrupts the program: SIGINT and SIGTERM on POSIX; Ctrl-C, Ctrl-Break and
// the closing of the console on Windows. The program then starts no other document and ends the ones in
// progress. Call once; stop must outlive the process's last handler call.
void stopOnInterrupt(std::atomic<bool>& stop);

// The path with links and "." resolved, or nothing when it cannot be resolved (it does not exist).
std::optional<std::string> realPath(const std::string& path);

// The file-system service of the window (its folder scan and its look at a document before opening).
std::unique_ptr<platform::FileSystem> fileSystemService();

// Whether lists are read as Windows programs write text (CR LF, a byte order mark); see pathsInList.
bool listsAreWindowsText();

// The permission bits of the file at path (0644 where the system has none to give); nothing when it
// cannot be examined.
std::optional<std::uint32_t> permissionBits(const std::string& path);
bool pathExists(const std::string& path);
// Creates the folder and those above it that are missing. Throws std::runtime_error with the reason.
void createFolders(const std::string& path);

} // namespace glyphmere::batch::os
