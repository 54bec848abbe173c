#include "batch/BatchCommandLine.h"
#include "docengine/EngineAutomation.h"

#include <csignal>
#include <iostream>
#include <string>
#include <vector>

int main(int argc, char* argv[])
{
    // Past a file-size limit a write then fails and the save is abandoned, leaving the document intact.
    std::signal(SIGXFSZ, SIG_IGN);
    const std::vector<std::string> arguments(argv + 1, argv + argc);
    glyphmere::docengine::EngineAutomation automation;
    return glyphmere::batch::runCommandLine(arguments, automation, std::cout, std::cerr);
}
