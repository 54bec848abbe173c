#include "batch/SystemAccess.h"

#include "platform/posix/PosixFileSystem.h"

#include <signal.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cstdlib>
#include <filesystem>
#include <iostream>

namespace glyphmere::batch::os {
namespace {

// The flag the signal handler sets; it may only touch a lock-free atomic.
std::atomic<bool>* stopFlag = nullptr;
static_assert(std::atomic<bool>::is_always_lock_free, "the signal handler may only touch a lock-free flag");

extern "C" void requestStop(int)
{
    if (stopFlag)
        stopFlag->store(true);
}

constexpr mode_t kPermissionBits = 07777;

} // namespace

void prepareProcess()
{
    // A file-size limit makes a write fail with its reason instead of ending the program.
    signal(SIGXFSZ, SIG_IGN);
    // libzip turns every entry's time into local time; without TZ the C library examines /etc/localtime
    // again for each conversion (dozens of times a document). Named explicitly, the zone is read once.
    setenv("TZ", ":/etc/localtime", 0);
}

std::vector<std::string> programArguments(int argc, char* argv[]) { return {argv + 1, argv + argc}; }

std::ostream& standardOutput() { return std::cout; }
std::ostream& standardError() { return std::cerr; }
bool standardErrorIsTerminal() { return isatty(STDERR_FILENO) == 1; }

void stopOnInterrupt(std::atomic<bool>& stop)
{
    stopFlag = &stop;
    struct sigaction action {};
    action.sa_handler = requestStop;
    sigemptyset(&action.sa_mask);
    action.sa_flags = SA_RESTART;
    sigaction(SIGINT, &action, nullptr);
    sigaction(SIGTERM, &action, nullptr);
}

std::optional<std::string> realPath(const std::string& path)
{
    std::unique_ptr<char, void (*)(void*)> resolved(::realpath(path.c_str(), nullptr), std::free);
    return resolved ? std::optional<std::string>(resolved.get()) : std::nullopt;
}

std::unique_ptr<platform::FileSystem> fileSystemService()
{
    return std::make_unique<platform::posix::PosixFileSystem>();
}

bool listsAreWindowsText() { return false; }

std::optional<std::uint32_t> permissionBits(const std::string& path)
{
    struct stat status {};
    if (::stat(path.c_str(), &status) != 0)
        return std::nullopt;
    return status.st_mode & kPermissionBits;
}

bool pathExists(const std::string& path) { return std::filesystem::exists(path); }

void createFolders(const std::string& path) { std::filesystem::create_directories(path); }

} // namespace glyphmere::batch::os
