// Shards of one run as separate programs started together by a POSIX shell.
#include "batch/ReportReader.h"

#include "BatchDocuments.h"
#include "ProgramRun.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <filesystem>
#include <set>
#include <sstream>

namespace glyphmere::batch {
namespace {

namespace fs = std::filesystem;
using testing_support::readFile;
using testing_support::TemporaryFolder;

TEST(ShardProgram, FourShardsAtOnce_RestyleEveryDocumentOnceAndTheirReportsJoinWithCat)
{
    TemporaryFolder folder;
    std::set<std::string> documents;
    for (int i = 0; i < 40; ++i) {
        const std::string path = "share/" + std::string(i % 2 ? "a/" : "b/c/") + "d" + std::to_string(i) + ".docx";
        fs::create_directories(folder.file(fs::path(path).parent_path().string()));
        testing::writeDocument(folder.file(path));
        documents.insert(path);
    }

    const testing::Finished run = testing::runShell(
        "for k in 0 1 2 3; do \"$BATCH\" --font 'Liberation Serif' --size 13 --quiet --jobs 1 --shard $k/4 "
        "--report-format jsonl --report r$k.jsonl --recursive share > out$k 2>&1 & done; wait; "
        "cat r0.jsonl r1.jsonl r2.jsonl r3.jsonl > all.jsonl; cat out0 out1 out2 out3",
        folder.path());

    EXPECT_EQ(run.exitStatus, 0);
    std::multiset<std::string> changed;
    std::istringstream lines(run.out);
    for (std::string line; std::getline(lines, line);) {
        EXPECT_TRUE(line.starts_with("changed: ")) << line;
        changed.insert(line.substr(9));
    }
    EXPECT_EQ(changed, std::multiset<std::string>(documents.begin(), documents.end()));
    for (int k = 0; k < 4; ++k)
        EXPECT_NE(readFile(folder.file("r" + std::to_string(k) + ".jsonl")), "") << "shard " << k << " is empty";
    const std::string merged = readFile(folder.file("all.jsonl"));
    EXPECT_EQ(std::count(merged.begin(), merged.end(), '\n'), 40);
    EXPECT_TRUE(undoneDocuments(merged).empty());
    for (const std::string& path : documents)
        EXPECT_TRUE(testing::isRestyledWith(folder.file(path), "Liberation Serif")) << path;
}

} // namespace
} // namespace glyphmere::batch
