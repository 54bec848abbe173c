#include "batch/BatchCommandLine.h"
#include "docengine/session/EngineAutomation.h"

#include <signal.h>
#include <unistd.h>

#include <atomic>
#include <cstdlib>
#include <iostream>
#include <string>
#include <thread>
#include <vector>

namespace {

// Set by SIGINT and SIGTERM: the run starts no other document, lets the ones in progress end and exits.
std::atomic<bool> stopRequested{false};
static_assert(std::atomic<bool>::is_always_lock_free, "the signal handler may only touch a lock-free flag");

extern "C" void requestStop(int) { stopRequested.store(true); }

void stopOnInterrupt()
{
    struct sigaction action {};
    action.sa_handler = requestStop;
    sigemptyset(&action.sa_mask);
    action.sa_flags = SA_RESTART;
    sigaction(SIGINT, &action, nullptr);
    sigaction(SIGTERM, &action, nullptr);
}

} // namespace

int main(int argc, char* argv[])
{
    // A file-size limit makes a write fail with its reason instead of ending the program.
    signal(SIGXFSZ, SIG_IGN);
    // libzip turns every entry's time into local time; without TZ the C library examines /etc/localtime
    // again for each conversion (dozens of times a document). Named explicitly, the zone is read once.
    setenv("TZ", ":/etc/localtime", 0);
    stopOnInterrupt();
    const std::vector<std::string> arguments(argv + 1, argv + argc);
    // Every document's save is kept here until the run commits it in the background.
    glyphmere::docengine::SaveDeferral saveDeferral;
    glyphmere::docengine::EngineAutomation automation(&saveDeferral);
    const glyphmere::batch::BatchEnvironment environment{automation,
                                                         std::cout,
                                                         std::cerr,
                                                         stopRequested,
                                                         isatty(STDERR_FILENO) == 1,
                                                         std::max(1u, std::thread::hardware_concurrency()),
                                                         &std::cin,
                                                         {},
                                                         &saveDeferral};
    return glyphmere::batch::runCommandLine(arguments, environment);
}
