#include "ProgramRun.h"

#include "support/TestDocuments.h"

#include <fcntl.h>
#include <sys/wait.h>
#include <unistd.h>

#include <cstdio>
#include <cstdlib>

namespace glyphmere::batch::testing {
namespace {

void redirect(const std::string& file, int target, int flags)
{
    const int fd = ::open(file.c_str(), flags, 0600);
    ::dup2(fd, target);
    ::close(fd);
}

// Runs argv in folder with the input on standard input; what it printed goes to files in folder.
Finished runToEnd(const std::vector<std::string>& argv, const std::string& folder, const std::string& input)
{
    testing_support::TemporaryFolder streams;
    testing_support::writeFile(streams.file("in"), input);
    const pid_t pid = ::fork();
    if (pid == 0) {
        redirect(streams.file("in"), STDIN_FILENO, O_RDONLY);
        redirect(streams.file("out"), STDOUT_FILENO, O_WRONLY | O_CREAT | O_TRUNC);
        redirect(streams.file("err"), STDERR_FILENO, O_WRONLY | O_CREAT | O_TRUNC);
        if (::chdir(folder.c_str()) != 0)
            ::_exit(126);
        ::setenv("BATCH", GLYPHMERE_BATCH_PROGRAM, 1);
        std::vector<char*> pointers;
        for (const std::string& argument : argv)
            pointers.push_back(const_cast<char*>(argument.c_str()));
        pointers.push_back(nullptr);
        ::execv(pointers[0], pointers.data());
        ::_exit(127);
    }
    int status = 0;
    ::waitpid(pid, &status, 0);
    return {WIFEXITED(status) ? WEXITSTATUS(status) : -1, testing_support::readFile(streams.file("out")),
            testing_support::readFile(streams.file("err"))};
}

} // namespace

// The pipe holds one page, so a child that the test does not read blocks at its next lines instead of
// running to its end: a signal sent after some lines always finds documents left.
constexpr int kPipeCapacity = 4096;

Child startProgram(const std::vector<std::string>& arguments, const std::string& errorFile)
{
    int pipeEnds[2];
    if (::pipe(pipeEnds) != 0 || ::fcntl(pipeEnds[1], F_SETPIPE_SZ, kPipeCapacity) < 0)
        return {};
    const pid_t pid = ::fork();
    if (pid == 0) {
        ::dup2(pipeEnds[1], STDOUT_FILENO);
        redirect(errorFile, STDERR_FILENO, O_WRONLY | O_CREAT | O_TRUNC);
        ::close(pipeEnds[0]);
        std::vector<char*> argv{const_cast<char*>(GLYPHMERE_BATCH_PROGRAM)};
        for (const std::string& argument : arguments)
            argv.push_back(const_cast<char*>(argument.c_str()));
        argv.push_back(nullptr);
        ::execv(argv[0], argv.data());
        ::_exit(127);
    }
    ::close(pipeEnds[1]);
    FILE* out = ::fdopen(pipeEnds[0], "r");
    // Read byte by byte, so the pipe is emptied no further than the lines taken.
    if (out)
        std::setvbuf(out, nullptr, _IONBF, 0);
    return {pid, out};
}

std::string readLine(FILE* in)
{
    std::string line;
    for (int c = std::fgetc(in); c != EOF && c != '\n'; c = std::fgetc(in))
        line += static_cast<char>(c);
    return line;
}

Finished runProgram(const std::vector<std::string>& arguments, const std::string& folder, const std::string& input)
{
    std::vector<std::string> argv{GLYPHMERE_BATCH_PROGRAM};
    argv.insert(argv.end(), arguments.begin(), arguments.end());
    return runToEnd(argv, folder, input);
}

Finished runShell(const std::string& commandLine, const std::string& folder)
{
    return runToEnd({"/bin/sh", "-c", commandLine}, folder, "");
}

} // namespace glyphmere::batch::testing
