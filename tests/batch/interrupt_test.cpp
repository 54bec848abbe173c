#include "BatchDocuments.h"

#include <gtest/gtest.h>

#include <fcntl.h>
#include <signal.h>
#include <sys/wait.h>
#include <unistd.h>

#include <cstdio>
#include <filesystem>
#include <map>

namespace glyphmere::batch {
namespace {

namespace fs = std::filesystem;
using testing_support::readFile;

constexpr int kDocuments = 200;
// The child's output pipe holds one page, a few dozen lines: a child whose output is not read stops at
// its next line, so the signal always finds documents left, however busy the machine is.
constexpr int kPipeCapacity = 4096;

// The program, started with its output on a pipe and its error output in a file.
struct Child {
    pid_t pid = -1;
    FILE* out = nullptr;
};

Child startProgram(const std::vector<std::string>& arguments, const std::string& errorFile)
{
    int pipeEnds[2];
    if (::pipe(pipeEnds) != 0 || ::fcntl(pipeEnds[1], F_SETPIPE_SZ, kPipeCapacity) < 0)
        return {};
    const pid_t pid = ::fork();
    if (pid == 0) {
        ::dup2(pipeEnds[1], STDOUT_FILENO);
        const int err = ::open(errorFile.c_str(), O_WRONLY | O_CREAT | O_TRUNC, 0600);
        ::dup2(err, STDERR_FILENO);
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

TEST(Interrupt, SignalMidBatch_LeavesEveryDocumentOriginalOrFullyRestyledAndExitsWith130)
{
    testing_support::TemporaryFolder folder;
    const std::string documents = folder.file("documents");
    fs::create_directory(documents);
    std::map<std::string, std::string> originals;
    for (int i = 0; i < kDocuments; ++i) {
        const std::string path = documents + "/d" + std::to_string(1000 + i) + ".docx";
        testing::writeDocument(path, 20);
        originals[path] = readFile(path);
    }

    Child child = startProgram({"--font", "Liberation Serif", "--size", "13", "--jobs", "2", "--recursive", documents},
                               folder.file("errors.txt"));
    ASSERT_GT(child.pid, 0);
    ASSERT_NE(child.out, nullptr);
    // The first line shows the run under way (its signal handling set up); nothing more is read until
    // the signal is sent.
    std::vector<std::string> lines{readLine(child.out)};
    ::kill(child.pid, SIGINT);
    for (std::string line = readLine(child.out); !line.empty(); line = readLine(child.out))
        lines.push_back(line);
    std::fclose(child.out);
    int status = 0;
    ASSERT_EQ(::waitpid(child.pid, &status, 0), child.pid);

    ASSERT_TRUE(WIFEXITED(status));
    EXPECT_EQ(WEXITSTATUS(status), 130);
    ASSERT_EQ(lines.size(), static_cast<std::size_t>(kDocuments)) << "one line for every document";
    int notStarted = 0;
    for (const std::string& line : lines) {
        const bool changed = line.starts_with("changed: ");
        notStarted += line.starts_with("not started: ") ? 1 : 0;
        const std::string path = line.substr(line.find(": ") + 2);
        if (changed)
            EXPECT_TRUE(testing::isRestyledWith(path, "Liberation Serif")) << line;
        else
            EXPECT_TRUE(readFile(path) == originals.at(path)) << line;
    }
    EXPECT_GT(notStarted, 0);
    EXPECT_EQ(std::distance(fs::directory_iterator(documents), fs::directory_iterator()), kDocuments)
        << "no temporary file is left";
    EXPECT_NE(readFile(folder.file("errors.txt")).find("glyphmere-batch: interrupted: "), std::string::npos);
}

} // namespace
} // namespace glyphmere::batch
