// Times the folder scan on a generated tree of 100,000 files in 10,000 folders beside find(1), as the
// window walks it and as glyphmere-batch --recursive lists it, and the appending of 100,000 rows to the
// document list (offscreen).

#include "batch/InputList.h"
#include "doclist/AddFolder.h"
#include "doclist/DocumentListView.h"
#include "platform/posix/PosixFileSystem.h"

#include <QApplication>

#include <algorithm>
#include <atomic>
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <iostream>
#include <string>
#include <vector>

#include <fcntl.h>
#include <unistd.h>

namespace {

using namespace glyphmere;
using Clock = std::chrono::steady_clock;

constexpr int kTopFolders = 100;
constexpr int kSubfoldersEach = 99;
constexpr int kFilesEach = 10;
constexpr int kRounds = 3;

// Every folder holds eight .doc files, one .docx and one .txt.
void fillFolder(const std::string& folder)
{
    std::filesystem::create_directory(folder);
    for (int i = 0; i < kFilesEach; ++i) {
        const char* extension = i < 8 ? ".doc" : i == 8 ? ".docx" : ".txt";
        const std::string path = folder + "/file" + std::to_string(i) + extension;
        const int fd = open(path.c_str(), O_CREAT | O_WRONLY, 0644);
        if (fd < 0)
            throw std::runtime_error("cannot create " + path);
        close(fd);
    }
}

void generateTree(const std::string& root)
{
    for (int top = 0; top < kTopFolders; ++top) {
        const std::string folder = root + "/d" + std::to_string(top);
        fillFolder(folder);
        for (int sub = 0; sub < kSubfoldersEach; ++sub)
            fillFolder(folder + "/s" + std::to_string(sub));
    }
}

double secondsSince(Clock::time_point start) { return std::chrono::duration<double>(Clock::now() - start).count(); }

template <typename Work>
double bestOf(Work work)
{
    double best = 1e9;
    for (int round = 0; round < kRounds; ++round) {
        const auto start = Clock::now();
        work();
        best = std::min(best, secondsSince(start));
    }
    return best;
}

class BenchWindowSystem final : public platform::WindowSystem {
public:
    explicit BenchWindowSystem(bool processQtEvents) : m_processQtEvents(processQtEvents) {}
    platform::TwipSize screenSize() override { return {}; }
    std::string programFolder() override { return "/nonexistent"; }
    void processPendingEvents() override
    {
        ++calls;
        if (m_processQtEvents)
            QApplication::processEvents();
    }
    void endProgram() override {}
    long calls = 0;

private:
    bool m_processQtEvents;
};

class BenchPointer final : public platform::PointerSetting {
public:
    int mousePointer() const override { return m_setting; }
    void setMousePointer(int setting) override { m_setting = setting; }

private:
    int m_setting = 0;
};

long countOfFind(const std::string& root)
{
    const std::string command = "find '" + root + "' -type f -iname '*.doc*' | wc -l";
    FILE* pipe = popen(command.c_str(), "r");
    long count = -1;
    if (pipe && std::fscanf(pipe, "%ld", &count) != 1)
        count = -1;
    if (pipe)
        pclose(pipe);
    return count;
}

void benchScan(const std::string& root)
{
    platform::posix::PosixFileSystem fileSystem;
    for (const bool processQtEvents : {false, true}) {
        BenchWindowSystem windowSystem(processQtEvents);
        std::size_t rows = 0;
        const double seconds = bestOf(
            [&] { rows = doclist::AddFolder::scanFolderTree(fileSystem, windowSystem, root, "doc").paths.size(); });
        std::cout << "folder scan (*.doc)" << (processQtEvents ? ", handling Qt events:" : ":                    ")
                  << "  " << seconds << " s, " << rows << " rows, " << windowSystem.calls / kRounds
                  << " event checks\n";
    }
    const std::atomic<bool> stop{false};
    std::size_t items = 0;
    const double batchSeconds = bestOf([&] {
        items = batch::listInputs({{root, batch::InputKind::Folder}}, {"doc"}, stop).items.size();
    });
    std::cout << "glyphmere-batch --recursive --ext doc (listing):  " << batchSeconds << " s, " << items
              << " documents\n";
    long found = 0;
    const double seconds = bestOf([&] { found = countOfFind(root); });
    std::cout << "find -type f -iname '*.doc*':                   " << seconds << " s, " << found << " files\n";
}

void benchAppend()
{
    BenchPointer pointer;
    platform::posix::PosixFileSystem fileSystem;
    doclist::DocumentListView list(pointer, fileSystem, "/nonexistent");
    list.resize(600, 400);
    list.show();
    const int rowCount = kTopFolders * (kSubfoldersEach + 1) * kFilesEach;
    auto start = Clock::now();
    for (int i = 0; i < rowCount; ++i)
        list.ListItems.Add("/home/ann/Documents/folder" + std::to_string(i / 10) + "/file" + std::to_string(i) +
                           ".doc");
    QApplication::processEvents();
    std::cout << "append " << list.ListItems.Count() << " rows and repaint:              " << secondsSince(start)
              << " s\n";
    start = Clock::now();
    std::size_t characters = 0;
    for (int i = 1; i <= list.ListItems.Count(); ++i)
        characters += list.ListItems(i).Text().size();
    std::cout << "read every row, first to last:                  " << secondsSince(start) << " s (" << characters
              << " characters)\n";
}

} // namespace

int main(int argc, char** argv)
{
    setenv("QT_QPA_PLATFORM", "offscreen", 0);
    QApplication app(argc, argv);
    char pattern[] = "/tmp/glyphmere-bench-XXXXXX";
    if (!mkdtemp(pattern)) {
        std::cerr << "cannot create a temporary folder\n";
        return 1;
    }
    const std::string root = pattern;
    auto start = Clock::now();
    generateTree(root);
    std::cout << "generated 100,000 files in 10,000 folders in " << secondsSince(start) << " s (best of " << kRounds
              << " rounds below, warm cache)\n";
    countOfFind(root);
    benchScan(root);
    benchAppend();
    std::filesystem::remove_all(root);
    return 0;
}
