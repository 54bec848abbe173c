#include "batch/BatchCommandLine.h"
#include "batch/ReportReader.h"
#include "batch/ShardSplit.h"

#include "BatchDocuments.h"
#include "fakes/RecordingAutomation.h"

#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include <cmath>
#include <filesystem>
#include <map>
#include <set>
#include <sstream>

namespace glyphmere::batch {
namespace {

namespace fs = std::filesystem;
using testing_support::readFile;
using testing_support::TemporaryFolder;
using testing_support::writeFile;
using Arguments = std::vector<std::string>;
using Variables = std::map<std::string, std::string>;

VariableLookup lookupIn(const Variables& variables)
{
    return [variables](const std::string& name) -> std::optional<std::string> {
        const auto found = variables.find(name);
        return found == variables.end() ? std::nullopt : std::optional<std::string>(found->second);
    };
}

std::vector<std::string> syntheticPaths(int count)
{
    std::vector<std::string> paths;
    for (int i = 0; i < count; ++i)
        paths.push_back("dept-" + std::to_string(i % 7) + "/" + std::to_string(2000 + i % 25) + "/report-" +
                        std::to_string(i) + ".docx");
    return paths;
}

TEST(ShardSplit, EveryPathFallsInExactlyOnePartAndThePartsStayBalanced)
{
    const std::vector<std::string> paths = syntheticPaths(10000);
    for (const unsigned long count : {1ul, 2ul, 3ul, 4ul, 8ul, 16ul, 32ul, 100ul}) {
        std::vector<int> sizes(count, 0);
        for (const std::string& path : paths) {
            int parts = 0;
            for (unsigned long index = 0; index < count; ++index) {
                const bool member = belongsTo(path, {index, count});
                parts += member ? 1 : 0;
                sizes[index] += member ? 1 : 0;
            }
            ASSERT_EQ(parts, 1) << path << " in " << count << " parts";
        }
        // A fair split into count parts varies by about the square root of a part's size; allow four times
        // it.
        const double mean = 10000.0 / static_cast<double>(count);
        for (unsigned long index = 0; index < count; ++index)
            EXPECT_LE(std::abs(sizes[index] - mean), 4 * std::sqrt(mean)) << "part " << index << " of " << count;
    }
}

TEST(ShardSplit, HashIsFnv1aOfThePathBytesThenFinalised)
{
    // Fixed values: a change here would split a running job differently on machines of two versions.
    // FNV-1a of "a" is 0xaf63dc4c8601ec8c; these are it and two others after the finaliser.
    EXPECT_EQ(shardHash("a"), 0x82a2a958a9bece5bull);
    EXPECT_EQ(shardHash(""), 0xefd01f60ba992926ull);
    EXPECT_EQ(shardHash("docs/caf\xE9.docx"), 0x20f654b2fa08cd03ull);
    EXPECT_EQ(shardKey("./a//b/./c.docx"), "a/b/c.docx");
    EXPECT_EQ(shardHash(shardKey("./a.docx")), shardHash("a.docx"));
}

TEST(ShardSplit, ShardFromTheRunnersVariables)
{
    struct Case {
        ShardRequest request;
        Variables variables;
        std::string expected; // "K/N" or the error
    };
    const std::vector<Case> cases = {
        {{2, 5}, {{"SLURM_ARRAY_TASK_ID", "0"}}, "2/5"},
        {{}, {{"SLURM_ARRAY_TASK_ID", "3"}, {"SLURM_ARRAY_TASK_COUNT", "4"}}, "3/4"},
        {{},
         {{"SLURM_ARRAY_TASK_ID", "7"},
          {"SLURM_ARRAY_TASK_MIN", "1"},
          {"SLURM_ARRAY_TASK_STEP", "2"},
          {"SLURM_ARRAY_TASK_COUNT", "4"}},
         "3/4"},
        {{std::nullopt, 8}, {{"JOB_COMPLETION_INDEX", "5"}}, "5/8"},
        {{std::nullopt, 4}, {{"SLURM_ARRAY_TASK_ID", "1"}, {"SLURM_ARRAY_TASK_COUNT", "4"}}, "1/4"},
        {{}, {}, "--shard auto needs SLURM_ARRAY_TASK_ID or JOB_COMPLETION_INDEX in the environment"},
        {{},
         {{"JOB_COMPLETION_INDEX", "5"}},
         "--shard auto: JOB_COMPLETION_INDEX gives no count of parts; give it as --shard auto/N"},
        {{std::nullopt, 4}, {{"JOB_COMPLETION_INDEX", "4"}}, "--shard auto: the index 4 is not below the count 4"},
        {{std::nullopt, 4},
         {{"JOB_COMPLETION_INDEX", "x"}},
         "--shard auto: JOB_COMPLETION_INDEX holds \"x\", not a whole number"},
        {{std::nullopt, 3},
         {{"SLURM_ARRAY_TASK_ID", "1"}, {"SLURM_ARRAY_TASK_COUNT", "4"}},
         "--shard auto/3: the Slurm job array has 4 tasks"},
        {{}, {{"SLURM_ARRAY_TASK_ID", "1"}}, "--shard auto: SLURM_ARRAY_TASK_ID is set without SLURM_ARRAY_TASK_COUNT"},
        {{},
         {{"SLURM_ARRAY_TASK_ID", "6"},
          {"SLURM_ARRAY_TASK_MIN", "1"},
          {"SLURM_ARRAY_TASK_STEP", "2"},
          {"SLURM_ARRAY_TASK_COUNT", "4"}},
         "--shard auto: the Slurm array task 6 is not one of a range from 1 in steps of 2 (use --array=0-3, "
         "or --shard K/N)"},
        {{},
         {{"SLURM_ARRAY_TASK_ID", "1"}, {"SLURM_ARRAY_TASK_COUNT", "2"}, {"JOB_COMPLETION_INDEX", "1"}},
         "--shard auto: both SLURM_ARRAY_TASK_ID and JOB_COMPLETION_INDEX are set; give --shard K/N"},
    };
    for (const Case& each : cases) {
        std::string error;
        const std::optional<Shard> shard = resolveShard(each.request, lookupIn(each.variables), error);
        EXPECT_EQ(shard ? std::to_string(shard->index) + "/" + std::to_string(shard->count) : error, each.expected);
    }
}

class ShardRunTest : public ::testing::Test {
protected:
    // The documents that the run with these arguments handed to Word, relative to base.
    std::set<std::string> opened(const Arguments& arguments, const std::string& base, const Variables& variables = {})
    {
        fakes::RecordingAutomation word;
        std::ostringstream out;
        const std::atomic<bool> stop{false};
        BatchEnvironment environment{word, out, err, stop};
        environment.variable = lookupIn(variables);
        Arguments all = {"--font", "Arial", "--size", "12", "--quiet"};
        all.insert(all.end(), arguments.begin(), arguments.end());
        status = runCommandLine(all, environment);
        std::set<std::string> paths;
        for (const std::string& line : word.transcript) {
            if (line.starts_with("call Documents.Open(\""))
                paths.insert(fs::path(line.substr(21, line.find('"', 21) - 21)).lexically_relative(base).string());
        }
        return paths;
    }

    // The same tree of documents at base.
    static void writeTree(const std::string& base)
    {
        for (int i = 0; i < 24; ++i) {
            const std::string path = base + "/share/" + (i % 3 ? "sub" + std::to_string(i % 3) + "/" : "") + "d" +
                                     std::to_string(i) + ".docx";
            fs::create_directories(fs::path(path).parent_path());
            writeFile(path, std::string("PK\x03\x04", 4));
        }
    }

    TemporaryFolder folder;
    std::ostringstream err;
    int status = -1;
};

TEST_F(ShardRunTest, PartsAreDisjointCompleteAndTheSameWhereverTheShareIsMounted)
{
    const std::string here = folder.file("here");
    const std::string there = folder.file("there/mnt/x");
    writeTree(here);
    writeTree(there);
    const std::set<std::string> all = opened({"--recursive", here + "/share"}, here);
    ASSERT_EQ(all.size(), 24u);
    for (const unsigned long count : {2ul, 3ul, 5ul}) {
        std::set<std::string> union_;
        std::size_t total = 0;
        for (unsigned long index = 0; index < count; ++index) {
            const std::string shard = std::to_string(index) + "/" + std::to_string(count);
            const std::set<std::string> part = opened({"--shard", shard, "--recursive", here + "/share/"}, here);
            EXPECT_EQ(opened({"--recursive", there + "/share", "--shard=" + shard}, there), part) << shard;
            EXPECT_FALSE(part.empty()) << shard;
            total += part.size();
            union_.insert(part.begin(), part.end());
        }
        EXPECT_EQ(union_, all) << count;
        EXPECT_EQ(total, all.size()) << "no document is in two parts of " << count;
    }
}

TEST_F(ShardRunTest, RunnersVariablesChooseThePart)
{
    writeTree(folder.path());
    const std::string share = folder.file("share");
    EXPECT_EQ(opened({"--shard", "auto", "--recursive", share}, folder.path(),
                     {{"SLURM_ARRAY_TASK_ID", "2"}, {"SLURM_ARRAY_TASK_COUNT", "3"}}),
              opened({"--shard", "2/3", "--recursive", share}, folder.path()));
    EXPECT_EQ(opened({"--shard", "auto/3", "--recursive", share}, folder.path(), {{"JOB_COMPLETION_INDEX", "1"}}),
              opened({"--shard", "1/3", "--recursive", share}, folder.path()));
}

TEST_F(ShardRunTest, BadShards_AreUsageErrors)
{
    const std::vector<std::pair<Arguments, std::string>> cases = {
        {{"--shard", "4/4", "a.docx"},
         "--shard needs K/N with K from 0 to N-1 (such as 2/8), auto or auto/N, not \"4/4\""},
        {{"--shard", "1", "a.docx"}, "--shard needs K/N with K from 0 to N-1 (such as 2/8), auto or auto/N, not \"1\""},
        {{"--shard", "-1/4", "a.docx"},
         "--shard needs K/N with K from 0 to N-1 (such as 2/8), auto or auto/N, not \"-1/4\""},
        {{"--shard", "0/0", "a.docx"},
         "--shard needs K/N with K from 0 to N-1 (such as 2/8), auto or auto/N, not \"0/0\""},
        {{"--shard", "1/x", "a.docx"},
         "--shard needs K/N with K from 0 to N-1 (such as 2/8), auto or auto/N, not \"1/x\""},
        {{"--shard", "1/2", "--shard", "0/2", "a.docx"}, "--shard is given more than once"},
        {{"--shard", "auto", "a.docx"},
         "--shard auto needs SLURM_ARRAY_TASK_ID or JOB_COMPLETION_INDEX in the environment"},
    };
    for (const auto& [arguments, error] : cases) {
        err.str("");
        EXPECT_TRUE(opened(arguments, folder.path()).empty());
        EXPECT_EQ(status, kExitUsageError);
        EXPECT_EQ(err.str(), "glyphmere-batch: " + error + "\nTry 'glyphmere-batch --help' for more information.\n");
    }
}

} // namespace
} // namespace glyphmere::batch
