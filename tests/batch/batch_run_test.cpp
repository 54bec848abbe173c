#include "batch/BackupCopies.h"
#include "batch/BatchCommandLine.h"
#include "batch/ReportReader.h"

#include "BatchDocuments.h"
#include "BatchRunFixture.h"
#include "docengine/session/EngineAutomation.h"
#include "fakes/RecordingAutomation.h"

#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include <filesystem>
#include <sstream>

namespace glyphmere::batch {
namespace {

namespace fs = std::filesystem;
using testing::Arguments;
using testing::BatchRunTest;
using ::testing::ElementsAre;
using ::testing::HasSubstr;
using testing::isRestyledWith;
using testing::kRestyle;
using testing::linesOf;
using testing::writeDocument;
using testing_support::nativePath;
using testing_support::readFile;
using testing_support::TemporaryFolder;

TEST_F(BatchRunTest, FilesAndFolders_AreRestyledInTheOrderGivenWithTheFolderScansRules)
{
    document("first.docx");
    document("tree/b.docx");
    document("tree/a.docx");
    document("tree/sub/c.docx");
    document("tree/.hidden/h.docx");
    document("tree/~old.docx");
    document("tree/a.doc.txt");
    fs::create_directory_symlink("..", "tree/sub/up"); // a link back to an ancestor is not followed again
    document("last.docx");

    EXPECT_EQ(run({"first.docx", "--recursive", "tree", "--recursive", "missing", "last.docx"}), kExitSomeFailed);

    EXPECT_THAT(
        linesOf(out.str()),
        ElementsAre("changed: first.docx", "changed: tree/a.docx", "changed: tree/b.docx", "changed: tree/sub/c.docx",
                    "failed: missing/: it could not be read, so no document below it was added", "changed: last.docx"));
    for (const char* restyled : {"first.docx", "tree/a.docx", "tree/b.docx", "tree/sub/c.docx", "last.docx"})
        EXPECT_TRUE(isRestyledWith(restyled, "Liberation Serif")) << restyled;
    EXPECT_FALSE(isRestyledWith("tree/.hidden/h.docx", "Liberation Serif"));
    EXPECT_FALSE(isRestyledWith("tree/~old.docx", "Liberation Serif"));
    EXPECT_TRUE(err.str().empty());
}

TEST_F(BatchRunTest, RecursiveScan_LeavesOutLockFilesOfWordAndLibreOffice)
{
    document("tree/a.docx");
    // Left behind by a program that ended without removing them; the document they name is gone.
    testing_support::writeFile("tree/.~lock.old.docx#", ",Ann,host,07.12.2026 09:30,file:///home/ann/.config;");
    testing_support::writeFile("tree/~$old.docx", "Ann");

    EXPECT_EQ(run({"--ext", "doc", "--recursive", "tree"}), kExitAllChanged);

    EXPECT_THAT(linesOf(out.str()), ElementsAre("changed: " + nativePath("tree/a.docx")));
}

TEST_F(BatchRunTest, DryRun_CountsWhatWouldChangeAndLeavesEveryByte)
{
    const std::string before = readFile(document("a.docx"));

    EXPECT_EQ(run({"--dry-run", "--all-stories", "a.docx"}), kExitAllChanged);

    EXPECT_EQ(out.str(), "would change: a.docx: main text (word/document.xml) 3 runs, 3 paragraph marks\n");
    EXPECT_TRUE(readFile("a.docx") == before) << "a.docx";
    EXPECT_EQ(std::distance(fs::directory_iterator("."), fs::directory_iterator()), 1);
}

TEST_F(BatchRunTest, Backup_KeepsByteIdenticalOriginalsAndNeverOverwritesAnOlderCopy)
{
    const std::string a = readFile(document("a.docx"));
    const std::string c = readFile(document("docs/c.docx"));

    EXPECT_EQ(run({"--backup", "saved", "a.docx", "docs/c.docx", "a.docx"}), kExitAllChanged);
    EXPECT_TRUE(readFile("saved/a.docx") == a) << "saved/a.docx";
    EXPECT_TRUE(readFile("saved/docs/c.docx") == c) << "saved/docs/c.docx";
    EXPECT_TRUE(isRestyledWith("docs/c.docx", "Liberation Serif"));

    out.str("");
    writeDocument("docs/c.docx", 5); // a new original: its copy would replace the one kept
    const std::string newOriginal = readFile("docs/c.docx");
    EXPECT_EQ(run({"--backup", "saved", "docs/c.docx"}), kExitSomeFailed);
    EXPECT_EQ(out.str(), "failed: docs/c.docx: a different backup copy is already at " +
                             nativePath("saved/docs/c.docx") + ", and it is kept\n");
    EXPECT_TRUE(readFile("saved/docs/c.docx") == c) << "saved/docs/c.docx";
    EXPECT_TRUE(readFile("docs/c.docx") == newOriginal) << "docs/c.docx";
}

TEST_F(BatchRunTest, TwoDocumentsWhoseCopiesWouldShareAPlace_TheLaterOneIsRefusedAndLeftAlone)
{
    // From FOLDER/work, FOLDER/x.docx and FOLDER/work/<FOLDER without its "/">/x.docx both go to
    // saved/<FOLDER without its "/">/x.docx.
    const std::string outside = folder.file("x.docx");
    const std::string inside = "work/" + fs::path(outside).relative_path().string();
    const std::string outsideBytes = readFile(document(outside));
    const std::string insideBytes = readFile(document(inside));
    fs::current_path("work");
    const std::string insideHere = fs::path(inside).lexically_relative("work").string();

    EXPECT_EQ(run({"--backup", "saved", outside, insideHere}), kExitSomeFailed);

    const std::string place = nativePath("saved/") + insideHere;
    EXPECT_EQ(out.str(), "changed: " + outside + "\nfailed: " + insideHere + ": its backup copy would go to " + place +
                             ", where the copy of " + nativePath(outside) + " goes\n");
    EXPECT_TRUE(readFile(place) == outsideBytes) << place;
    EXPECT_TRUE(readFile(insideHere) == insideBytes) << insideHere;
}

TEST_F(BatchRunTest, BackupPlaces_FollowTheCurrentFolderOrTheFullPath)
{
    const BackupCopies backups("/kept");
    const std::string here = fs::current_path().string();
    EXPECT_EQ(backups.copyPathFor("a.docx"), "/kept/a.docx");
    EXPECT_EQ(backups.copyPathFor("./docs/../docs/b.docx"), "/kept/docs/b.docx");
    EXPECT_EQ(backups.copyPathFor(here + "/c.docx"), "/kept/c.docx");
    EXPECT_EQ(backups.copyPathFor("/srv/share/d.docx"), "/kept/srv/share/d.docx");
    EXPECT_EQ(backups.copyPathFor("../e.docx"), "/kept" + fs::path(here).parent_path().string() + "/e.docx");
}

TEST_F(BatchRunTest, Report_NamesEveryDocumentWithItsStatusAndReason)
{
    document("a \"quoted\".docx");
    testing_support::writeFile("notes.docx", "plain text");

    EXPECT_EQ(run({"--report", "report.json", "a \"quoted\".docx", "notes.docx"}), kExitSomeFailed);

    const std::string report = readFile("report.json");
    EXPECT_THAT(report, HasSubstr(R"({"path": "a \"quoted\".docx", "status": "changed", "reason": "", "seconds": )"));
    EXPECT_THAT(report, HasSubstr(R"({"path": "notes.docx", "status": "failed", "reason": "not a Word document", )"));
    EXPECT_THAT(report, HasSubstr(R"({"interrupted": false, )"));
}

TEST_F(BatchRunTest, RetryFailed_TakesWhatTheReportLeftUndoneAndScansAFolderThatWasUnreadable)
{
    document("a.docx");
    testing_support::writeFile("b.docx", "plain text");
    EXPECT_EQ(run({"--report", "run.json", "a.docx", "b.docx", "--recursive", "later"}), kExitSomeFailed);
    writeDocument("b.docx");
    document("later/c.docx");
    const std::string a = readFile("a.docx");

    out.str("");
    EXPECT_EQ(run({"--retry-failed", "run.json", "--report", "run.json"}), kExitAllChanged);

    EXPECT_EQ(out.str(), "changed: b.docx\nchanged: " + nativePath("later/c.docx") + "\n");
    EXPECT_TRUE(readFile("a.docx") == a) << "a.docx is not restyled again";
    EXPECT_EQ(undoneDocuments(readFile("run.json")), std::vector<std::string>{});
}

TEST_F(BatchRunTest, ReportThatCannotBeWritten_IsNamedWithItsReason)
{
    document("a.docx");

    EXPECT_EQ(run({"--report", "no/such/folder/report.json", "a.docx"}), kExitSomeFailed);

    EXPECT_EQ(out.str(), "changed: a.docx\n");
    EXPECT_EQ(err.str(), "glyphmere-batch: the report no/such/folder/report.json could not be written: "
                         "the file or its folder does not exist\n");
}

TEST_F(BatchRunTest, Progress_IsShownOnlyOnATerminal)
{
    document("a.docx");
    document("b.docx");

    run({"a.docx", "b.docx"}, false);
    EXPECT_EQ(err.str(), "");

    run({"a.docx", "b.docx"}, true);
    EXPECT_THAT(err.str(), HasSubstr("\r\033[K2/2 done, 0 failed, "));
    EXPECT_THAT(err.str(), ::testing::EndsWith("\r\033[K"));
}

TEST_F(BatchRunTest, EngineOptions_GoToTheEngineAndPlainOnesThroughWord)
{
    document("a.docx");
    fakes::RecordingAutomation word;
    const auto runWith = [&](const Arguments& options) {
        Arguments arguments = kRestyle;
        arguments.insert(arguments.end(), options.begin(), options.end());
        return runCommandLine(arguments, word, out, err);
    };

    EXPECT_EQ(runWith({"--east-asian-font", "Noto Sans CJK", "--all-stories", "--styles", "a.docx"}), kExitAllChanged);
    EXPECT_TRUE(word.transcript.empty());
    EXPECT_THAT(testing_support::readPackage("a.docx")[2].second, HasSubstr(R"(w:eastAsia="Noto Sans CJK")"));

    EXPECT_EQ(runWith({"--headers-footers", "a.docx"}), kExitAllChanged);
    EXPECT_THAT(word.transcript, ::testing::Contains("put Document.ActiveWindow.ActivePane.View.SeekView = 9"));
}

// Looks, as each line is printed, whether the document it names as changed is restyled on disk already.
class CheckingOutput final : public std::stringbuf {
public:
    std::vector<std::string> printedEarly;

protected:
    int sync() override
    {
        const std::string text = str();
        for (std::size_t end = text.find('\n', m_checked); end != std::string::npos; end = text.find('\n', m_checked)) {
            const std::string line = text.substr(m_checked, end - m_checked);
            m_checked = end + 1;
            if (line.starts_with("changed: ") && !isRestyledWith(line.substr(9), "Liberation Serif"))
                printedEarly.push_back(line);
        }
        return 0;
    }

private:
    std::size_t m_checked = 0;
};

TEST_F(BatchRunTest, ChangedLine_IsPrintedOnlyOnceItsDocumentIsInPlace)
{
    Arguments files;
    for (int i = 0; i < 30; ++i)
        files.push_back(document("d" + std::to_string(i) + ".docx"));
    for (const Arguments& options : {Arguments{"--jobs", "1"}, Arguments{"--jobs", "2"}, Arguments{"--styles"}}) {
        SCOPED_TRACE(options.back());
        for (const std::string& file : files)
            writeDocument(file);
        CheckingOutput buffer;
        std::ostream checkedOut(&buffer);
        Arguments arguments = kRestyle;
        arguments.insert(arguments.end(), options.begin(), options.end());
        arguments.insert(arguments.end(), files.begin(), files.end());

        EXPECT_EQ(
            runCommandLine(arguments, BatchEnvironment{engine, checkedOut, err, stop, false, 1, nullptr, {}, &saves}),
            kExitAllChanged);

        EXPECT_EQ(linesOf(buffer.str()).size(), files.size());
        EXPECT_THAT(buffer.printedEarly, ElementsAre());
    }
}

} // namespace
} // namespace glyphmere::batch
