#include "BatchDocuments.h"
#include "ProgramRun.h"

#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include <signal.h>
#include <sys/stat.h>
#include <sys/wait.h>

#include <cstdio>
#include <filesystem>
#include <map>
#include <sstream>

namespace glyphmere::batch {
namespace {

namespace fs = std::filesystem;
using testing::Child;
using testing::readLine;
using testing::startProgram;
using testing_support::readFile;

constexpr int kDocuments = 200;
constexpr int kLinesBeforeSignal = 20;

// kDocuments documents in folder/documents, with their bytes.
std::map<std::string, std::string> writeDocuments(const testing_support::TemporaryFolder& folder)
{
    const std::string documents = folder.file("documents");
    fs::create_directory(documents);
    std::map<std::string, std::string> originals;
    for (int i = 0; i < kDocuments; ++i) {
        const std::string path = documents + "/d" + std::to_string(1000 + i) + ".docx";
        testing::writeDocument(path, 20);
        originals[path] = readFile(path);
    }
    return originals;
}

// Runs the program over the documents and sends SIGINT once it has printed kLinesBeforeSignal lines;
// returns every line it printed. reportLinesAtSignal: the lines the report held when the signal went.
std::vector<std::string> runInterrupted(const std::vector<std::string>& arguments, const std::string& errorFile,
                                        int& exitStatus, const std::string& report = "",
                                        std::size_t* reportLinesAtSignal = nullptr)
{
    Child child = startProgram(arguments, errorFile);
    if (child.pid <= 0 || !child.out)
        return {};
    std::vector<std::string> lines;
    for (std::string line = readLine(child.out); !line.empty(); line = readLine(child.out)) {
        lines.push_back(line);
        if (lines.size() != kLinesBeforeSignal)
            continue;
        if (reportLinesAtSignal) {
            const std::string written = readFile(report);
            *reportLinesAtSignal = static_cast<std::size_t>(std::count(written.begin(), written.end(), '\n'));
        }
        ::kill(child.pid, SIGINT);
    }
    std::fclose(child.out);
    int status = 0;
    exitStatus = ::waitpid(child.pid, &status, 0) == child.pid && WIFEXITED(status) ? WEXITSTATUS(status) : -1;
    return lines;
}

std::string pathOf(const std::string& line) { return line.substr(line.find(": ") + 2); }

ino_t inodeOf(const std::string& path)
{
    struct stat status {};
    ::stat(path.c_str(), &status);
    return status.st_ino;
}

TEST(Interrupt, SignalMidBatch_LeavesEveryDocumentOriginalOrFullyRestyledAndExitsWith130)
{
    testing_support::TemporaryFolder folder;
    const std::map<std::string, std::string> originals = writeDocuments(folder);
    const std::string documents = folder.file("documents");

    int status = 0;
    const std::vector<std::string> lines =
        runInterrupted({"--font", "Liberation Serif", "--size", "13", "--jobs", "2", "--recursive", documents},
                       folder.file("errors.txt"), status);

    ASSERT_EQ(lines.size(), static_cast<std::size_t>(kDocuments)) << "one line for every document";
    int notStarted = 0;
    for (const std::string& line : lines) {
        const bool changed = line.starts_with("changed: ");
        notStarted += line.starts_with("not started: ") ? 1 : 0;
        if (changed)
            EXPECT_TRUE(testing::isRestyledWith(pathOf(line), "Liberation Serif")) << line;
        else
            EXPECT_TRUE(readFile(pathOf(line)) == originals.at(pathOf(line))) << line;
    }
    // However many documents were still in flight when the signal came, and so ended after it, the run
    // says it was interrupted exactly when some were left unstarted.
    EXPECT_EQ(status, notStarted > 0 ? 130 : 0);
    EXPECT_EQ(readFile(folder.file("errors.txt")).find("glyphmere-batch: interrupted: ") != std::string::npos,
              notStarted > 0);
    EXPECT_EQ(std::distance(fs::directory_iterator(documents), fs::directory_iterator()), kDocuments)
        << "no temporary file is left";
}

TEST(Interrupt, RetryOfAnInterruptedRun_RestylesExactlyTheDocumentsNotStarted)
{
    testing_support::TemporaryFolder folder;
    writeDocuments(folder);
    const std::string report = folder.file("run.jsonl");
    const std::vector<std::string> restyle = {"--font", "Liberation Serif", "--size", "13", "--quiet"};
    std::vector<std::string> first = restyle;
    first.insert(first.end(), {"--jobs", "2", "--report-format", "jsonl", "--report", report, "--recursive",
                               folder.file("documents")});
    int status = 0;
    std::size_t reportLinesAtSignal = 0;
    const std::vector<std::string> lines =
        runInterrupted(first, folder.file("errors.txt"), status, report, &reportLinesAtSignal);
    EXPECT_GE(reportLinesAtSignal, static_cast<std::size_t>(kLinesBeforeSignal)) << "each line is written at once";
    std::vector<std::string> rest;
    std::map<std::string, ino_t> done;
    for (const std::string& line : lines) {
        if (line.starts_with("not started: "))
            rest.push_back("changed: " + pathOf(line));
        else
            done[pathOf(line)] = inodeOf(pathOf(line));
    }
    ASSERT_EQ(status, rest.empty() ? 0 : 130);

    std::vector<std::string> retry = restyle;
    retry.insert(retry.end(), {"--retry-failed", report});
    const testing::Finished retried = testing::runProgram(retry, folder.path());

    EXPECT_EQ(retried.exitStatus, 0) << retried.err;
    EXPECT_EQ(retried.err, "");
    std::vector<std::string> retriedLines;
    std::istringstream out(retried.out);
    for (std::string line; std::getline(out, line);)
        retriedLines.push_back(line);
    EXPECT_EQ(retriedLines, rest);
    for (const auto& [path, inode] : done)
        EXPECT_EQ(inodeOf(path), inode) << path << " was written again";
    for (const std::string& line : rest)
        EXPECT_TRUE(testing::isRestyledWith(pathOf(line), "Liberation Serif")) << line;
}

} // namespace
} // namespace glyphmere::batch
