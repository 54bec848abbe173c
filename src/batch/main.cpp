#include "batch/BatchCommandLine.h"
#include "batch/SystemAccess.h"
#include "docengine/session/EngineAutomation.h"

#include <atomic>
#include <iostream>
#include <string>
#include <thread>
#include <vector>

namespace {

// Set when the user interrupts the program: the run starts no other document, lets the ones in progress
// end and exits.
std::atomic<bool> stopRequested{false};

} // namespace

int main(int argc, char* argv[])
{
    namespace os = glyphmere::batch::os;
    os::prepareProcess();
    os::stopOnInterrupt(stopRequested);
    const std::vector<std::string> arguments = os::programArguments(argc, argv);
    // Every document's save is kept here until the run commits it in the background.
    glyphmere::docengine::SaveDeferral saveDeferral;
    glyphmere::docengine::EngineAutomation automation(&saveDeferral);
    const glyphmere::batch::BatchEnvironment environment{automation,
                                                         os::standardOutput(),
                                                         os::standardError(),
                                                         stopRequested,
                                                         os::standardErrorIsTerminal(),
                                                         std::max(1u, std::thread::hardware_concurrency()),
                                                         &std::cin,
                                                         {},
                                                         &saveDeferral};
    return glyphmere::batch::runCommandLine(arguments, environment);
}
