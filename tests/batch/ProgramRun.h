#pragma once

#include <sys/types.h>

#include <algorithm>
#include <cstdio>
#include <string>
#include <vector>

namespace glyphmere::batch::testing {

// The parts of a text between the separators (none for an empty text).
inline std::vector<std::string> partsOf(const std::string& text, char separator)
{
    std::vector<std::string> parts;
    for (std::size_t start = 0; start < text.size();) {
        const std::size_t end = std::min(text.find(separator, start), text.size());
        parts.push_back(text.substr(start, end - start));
        start = end + 1;
    }
    return parts;
}

// The program, started with its output on a pipe and its error output in a file.
struct Child {
    pid_t pid = -1;
    FILE* out = nullptr;
};

Child startProgram(const std::vector<std::string>& arguments, const std::string& errorFile);

// The next line that the child printed, without its newline; "" at the end.
std::string readLine(FILE* in);

// How a finished program ended and what it printed.
struct Finished {
    int exitStatus = -1; // -1 when it did not exit by itself
    std::string out;
    std::string err;
};

// Runs glyphmere-batch with the arguments and input on its standard input, in folder.
Finished runProgram(const std::vector<std::string>& arguments, const std::string& folder,
                    const std::string& input = "");

// Runs a POSIX shell command line in folder; $BATCH in it names glyphmere-batch.
Finished runShell(const std::string& commandLine, const std::string& folder);

} // namespace glyphmere::batch::testing
