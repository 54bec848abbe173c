#include "batch/BatchCommandLine.h"
#include "docengine/EngineAutomation.h"

#include <iostream>
#include <string>
#include <vector>

int main(int argc, char* argv[])
{
    const std::vector<std::string> arguments(argv + 1, argv + argc);
    glyphmere::docengine::EngineAutomation automation;
    return glyphmere::batch::runCommandLine(arguments, automation, std::cout, std::cerr);
}
