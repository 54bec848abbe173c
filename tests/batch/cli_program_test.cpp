#include "batch/JsonReport.h"
#include "batch/ReportReader.h"
#include "glyphmere/Version.h"

#include "BatchDocuments.h"
#include "ProgramRun.h"

#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include <filesystem>
#include <regex>

namespace glyphmere::batch {
namespace {

namespace fs = std::filesystem;
using testing::Finished;
using ::testing::HasSubstr;
using testing::partsOf;
using testing::runProgram;
using testing::runShell;
using ::testing::StartsWith;
using testing_support::readFile;
using testing_support::TemporaryFolder;
using testing_support::writeFile;
using Arguments = std::vector<std::string>;

const Arguments kRestyle = {"--font", "Liberation Serif", "--size", "13", "--quiet"};

Arguments restyleWith(const Arguments& more)
{
    Arguments arguments = kRestyle;
    arguments.insert(arguments.end(), more.begin(), more.end());
    return arguments;
}

TEST(Program, UsageError_PrintsTheReasonAndWhereHelpIsAndExitsWithTwo)
{
    TemporaryFolder folder;
    const Finished run = runProgram({"--font", "X", "--size", "abc", "a.docx"}, folder.path());

    EXPECT_EQ(run.exitStatus, 2);
    EXPECT_EQ(run.out, "");
    EXPECT_EQ(run.err, "glyphmere-batch: --size needs a number of points, not \"abc\"\n"
                       "Try 'glyphmere-batch --help' for more information.\n");
}

TEST(Program, Version_PrintsTheProgramsNameAndTheProjectsVersion)
{
    TemporaryFolder folder;
    const std::string version = kVersion;
    // std::regex rather than MatchesRegex, whose Windows form knows no brackets.
    ASSERT_TRUE(std::regex_match(version, std::regex("[0-9]+\\.[0-9]+\\.[0-9]+"))) << version;

    const Finished batch = runProgram({"--font", "Arial", "--version"}, folder.path());

    EXPECT_EQ(batch.exitStatus, 0);
    EXPECT_EQ(batch.out, "glyphmere-batch " + version + "\n");
    EXPECT_EQ(batch.err, "");
#ifdef GLYPHMERE_WINDOW_PROGRAM
    // Without any display: the window program would end with an error if it started Qt.
    const Finished window = runShell(
        "env -u DISPLAY -u WAYLAND_DISPLAY -u QT_QPA_PLATFORM '" GLYPHMERE_WINDOW_PROGRAM "' --version", folder.path());
    EXPECT_EQ(window.exitStatus, 0);
    EXPECT_EQ(window.out, "glyphmere " + version + "\n");
#endif
}

TEST(Program, MistypedFontName_IsNotedOnceWithTheClosestInstalledFamilyAndStillApplied)
{
    TemporaryFolder folder;
    const std::vector<std::string> installed = partsOf(runProgram({"--list-fonts"}, folder.path()).out, '\n');
    ASSERT_FALSE(installed.empty()) << "the test needs one installed font family";
    const std::string family = installed.front();
    const std::string mistyped = family.substr(0, family.size() - 1); // its last letter dropped
    testing::writeDocument(folder.file("a.docx"));
    testing::writeDocument(folder.file("b.docx"));

    const Finished noted = runProgram({"--font", mistyped, "--size", "12", "a.docx", "b.docx"}, folder.path());
    const Finished quiet = runProgram({"--font", mistyped, "--size", "12", "--quiet", "a.docx"}, folder.path());

    EXPECT_EQ(noted.exitStatus, 0);
    EXPECT_EQ(noted.out, "changed: a.docx\nchanged: b.docx\n");
    EXPECT_THAT(noted.err, StartsWith("glyphmere-batch: note: --font \"" + mistyped +
                                      "\" is not an installed font family (closest installed: \"" + family));
    EXPECT_EQ(std::count(noted.err.begin(), noted.err.end(), '\n'), 1) << noted.err;
    EXPECT_TRUE(testing::isRestyledWith(folder.file("b.docx"), mistyped));
    EXPECT_EQ(quiet.err, "");
}

TEST(Program, ListOfLines_KeepsItsOrderSkipsEmptyLinesAndNamesAMissingFile)
{
    TemporaryFolder folder;
    for (const std::string name : {"a.docx", "b.docx", "c.docx"})
        testing::writeDocument(folder.file(name));
    writeFile(folder.file("list.txt"), "c.docx\n\nmissing.docx\na.docx\nb.docx");

    const Finished fromFile =
        runProgram(restyleWith({"--files-from", "list.txt", "--report", "r.json"}), folder.path());
    const Finished fromInput = runProgram(restyleWith({"b.docx", "--files-from", "-"}), folder.path(), "a.docx\n");

    EXPECT_EQ(fromFile.exitStatus, 1);
    EXPECT_EQ(fromFile.out, "changed: c.docx\nfailed: missing.docx: the file does not exist\nchanged: a.docx\n"
                            "changed: b.docx\n");
    EXPECT_EQ(undoneDocuments(readFile(folder.file("r.json"))), std::vector<std::string>{"missing.docx"});
    EXPECT_EQ(fromInput.out, "changed: b.docx\nchanged: a.docx\n");
}

TEST(Program, UnreadableListOrReport_StopsBeforeAnyDocumentWithExitTwo)
{
    TemporaryFolder folder;
    testing::writeDocument(folder.file("a.docx"));
    const std::string before = readFile(folder.file("a.docx"));
    writeFile(folder.file("bad.json"), "{\"documents\": [{\"path\": \"a.docx\"");

    const Finished list = runProgram(restyleWith({"a.docx", "--files-from", "nope.txt"}), folder.path());
    const Finished report = runProgram(restyleWith({"a.docx", "--retry-failed", "bad.json"}), folder.path());
    const Finished output =
        runProgram(restyleWith({"a.docx", "--report-format", "jsonl", "--report", "no/r"}), folder.path());

    EXPECT_EQ(list.exitStatus, 2);
    EXPECT_EQ(list.err,
              "glyphmere-batch: the list nope.txt could not be read: the file or its folder does not exist\n");
    EXPECT_EQ(report.exitStatus, 2);
    EXPECT_THAT(report.err, StartsWith("glyphmere-batch: the report bad.json could not be read: it is not a report"));
    EXPECT_EQ(output.exitStatus, 2);
    EXPECT_THAT(output.err, StartsWith("glyphmere-batch: the report no/r could not be written: "));
    EXPECT_EQ(list.out + report.out + output.out, "");
    EXPECT_TRUE(readFile(folder.file("a.docx")) == before);
}

} // namespace
} // namespace glyphmere::batch
