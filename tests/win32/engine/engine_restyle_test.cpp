// The whole engine on Windows: real documents of tests/data restyled in place through the Win32 seam.
#include "EngineTestFolder.h"

#include "docengine/EngineError.h"
#include "docengine/files/SaveDeferral.h"
#include "docengine/session/RestyleRequest.h"

#include <gtest/gtest.h>

#include <thread>

namespace glyphmere::engine_win32_test {
namespace {

int changedRuns(const std::vector<docengine::StoryChanges>& stories)
{
    int runs = 0;
    for (const docengine::StoryChanges& story : stories)
        runs += story.runs + story.paragraphMarks;
    return runs;
}

const std::string kSeveralScripts = "\xD0\x94\xC3\xA9\xE6\x96\x87 "; // "Дé文 "

// Each document is restyled and written back in place with no hidden file left, and the saved document
// is restyled again; a name in several scripts and a path past 260 characters change nothing of that.
TEST(Win32Engine, RestylesDocumentsOfBothFormatsInPlace)
{
    const EngineTestFolder folder;
    std::string deep = folder.root();
    for (int level = 0; level < 5; ++level) {
        deep += "\\" + std::string(44, static_cast<char>('k' + level));
        CreateDirectoryW(wideExtended(deep).c_str(), nullptr);
    }
    const docengine::RestyleRequest request{"Arial", "12"};
    const std::pair<const char*, const char*> documents[] = {{"pandoc.docx", "pandoc.docx"},
                                                             {"doc/headers.doc", "headers.doc"}};
    for (const auto& [source, name] : documents) {
        const std::optional<std::string> original = readFile(std::string(GLYPHMERE_TEST_DATA) + "/" + source);
        ASSERT_TRUE(original) << source;
        for (const std::string& base : {folder.root(), deep}) {
            const std::string path = base + "\\" + kSeveralScripts + name;
            writeFile(path, *original);
            try {
                EXPECT_GT(changedRuns(docengine::restyleDocumentFile(path, request)), 0) << name;
                EXPECT_NE(readFile(path), original) << name;
                docengine::restyleDocumentFile(path, request); // the saved document opens and saves again
            } catch (const std::exception& error) {
                ADD_FAILURE() << name << " at " << path.size() << " characters: " << error.what();
            }
        }
    }
    EXPECT_EQ(folder.listing(),
              std::string(44, 'k') + "|" + kSeveralScripts + "headers.doc|" + kSeveralScripts + "pandoc.docx");
}

// The batch's way: the save is written while the document is open and put in place after it is closed,
// which on Windows needs every handle of the new file closed by then.
TEST(Win32Engine, DeferredSaveIsPutInPlaceAfterTheDocumentCloses)
{
    const EngineTestFolder folder;
    const std::string path = folder.file("deferred.docx");
    const std::optional<std::string> original = readFile(std::string(GLYPHMERE_TEST_DATA) + "/pandoc.docx");
    ASSERT_TRUE(original);
    writeFile(path, *original);
    docengine::SaveDeferral deferral;
    EXPECT_GT(changedRuns(docengine::restyleDocumentFile(path, {"Arial", "12"}, &deferral)), 0);
    EXPECT_EQ(readFile(path), original) << "in place before its commit";
    std::vector<docengine::PendingSave> saves = deferral.take(path);
    ASSERT_EQ(saves.size(), 1u);
    saves.front().commit();
    EXPECT_NE(readFile(path), original);
    EXPECT_EQ(folder.listing(), "deferred.docx");
}

// The batch restyles on worker threads that end when the run does: what the engine keeps between
// documents must not outlive its thread's storage (a fault there ends the whole program at thread exit).
TEST(Win32Engine, WorkerThreadsEndCleanlyAfterRestyling)
{
    const EngineTestFolder folder;
    const std::optional<std::string> original = readFile(std::string(GLYPHMERE_TEST_DATA) + "/pandoc.docx");
    ASSERT_TRUE(original);
    std::vector<std::thread> workers;
    for (int worker = 0; worker < 2; ++worker) {
        const std::string path = folder.file("worker" + std::to_string(worker) + ".docx");
        writeFile(path, *original);
        workers.emplace_back([path] { docengine::restyleDocumentFile(path, {"Arial", "12"}); });
    }
    for (std::thread& worker : workers)
        worker.join();
    EXPECT_EQ(folder.listing(), "worker0.docx|worker1.docx");
}

} // namespace
} // namespace glyphmere::engine_win32_test
