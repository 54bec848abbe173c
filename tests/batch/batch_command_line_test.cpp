#include "batch/BatchCommandLine.h"
#include "batch/FontNameNote.h"

#include "fakes/RecordingAutomation.h"
#include "support/TestDocuments.h"

#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include <filesystem>
#include <sstream>

namespace glyphmere::batch {
namespace {

using fakes::RecordingAutomation;
using ::testing::Contains;
using ::testing::ElementsAre;
using ::testing::HasSubstr;
using ::testing::Not;
using ::testing::StartsWith;
using testing_support::TemporaryFolder;
using testing_support::writeFile;
using Arguments = std::vector<std::string>;

class BatchCommandLineTest : public ::testing::Test {
protected:
    int run(const Arguments& arguments) { return runCommandLine(arguments, word, out, err); }

    std::string document(const std::string& name) const
    {
        writeFile(folder.file(name), std::string("PK\x03\x04", 4));
        return folder.file(name);
    }

    std::vector<std::string> openedPaths() const
    {
        std::vector<std::string> opened;
        for (const std::string& line : word.transcript) {
            if (line.starts_with("call Documents.Open(\""))
                opened.push_back(line.substr(21, line.find('"', 21) - 21));
        }
        return opened;
    }

    TemporaryFolder folder;
    RecordingAutomation word;
    std::ostringstream out;
    std::ostringstream err;
};

TEST_F(BatchCommandLineTest, UsageErrors_ExitWithTwoBeforeWordIsStarted)
{
    const std::string file = document("a.docx");
    const std::vector<std::pair<Arguments, std::string>> cases = {
        {{}, "--font NAME is required"},
        {{"--font", "Arial", "--size", "12"}, "no files or folders given"},
        {{"--size", "12", file}, "--font NAME is required"},
        {{"--font", "Arial", file}, "--size POINTS is required"},
        {{"--font", "Arial", "--size", "big", file}, "--size needs a number of points, not \"big\""},
        {{"--font", "Arial", "--size", "0x10", file}, "--size needs a number of points, not \"0x10\""},
        {{"--font", "Arial", "--size", "12", "--font", "Calibri", file}, "--font is given more than once"},
        {{"--font=", "--size", "12", file}, "--font needs a value"},
        {{"--font", "Arial", file, "--size"}, "--size needs a value"},
        {{"--font", "Arial", "--size", "12", "--bold", file}, "unknown option \"--bold\""},
        {{"--font", "Arial", "--size", "12", "-", file}, "unknown option \"-\""},
        {{"--font", "Arial", "--size", "12", ""}, "an empty file name was given"},
        {{"--list-fonts", file}, "--list-fonts takes no other arguments"},
        {{"--list-fonts", "--dry-run"}, "--list-fonts takes no other arguments"},
        {{"--font", "Arial", "--size", "12", "--jobs", "0", file},
         "--jobs needs a whole number from 1 to 256, not \"0\""},
        {{"--font", "Arial", "--size", "12", "--jobs=two", file},
         "--jobs needs a whole number from 1 to 256, not \"two\""},
        {{"--font", "Arial", "--size", "12", "--jobs", "2", "--jobs", "2", file}, "--jobs is given more than once"},
        {{"--font", "Arial", "--size", "12", "--ext", "docx", file},
         "--ext applies only to folders given with --recursive"},
        {{"--font", "Arial", "--size", "12", "--recursive", "d", "--ext", "a/b"},
         "--ext needs an extension such as docx, not \"a/b\""},
        {{"--font", "Arial", "--size", "12", "--dry-run", "--backup", "b", file},
         "--backup cannot be used with --dry-run, which writes no file"},
        {{"--font", std::string(32, 'x'), "--size", "12", file}, "--font: the font name is longer than 31 characters"},
        {{"--font", "Arial", "--size", "12", "--east-asian-font", "a\tb", file},
         "--east-asian-font: the font name contains characters that cannot be stored"},
        {{"--font", "Arial", "--size", "12", "--null", file}, "--null applies only to lists given with --files-from"},
        {{"--font", "Arial", "--size", "12", "--files-from", "-", "--files-from=-"},
         "--files-from - is given more than once; standard input can be read only once"},
        {{"--font", "Arial", "--size", "12", "--files-from="}, "--files-from needs a value"},
        {{"--font", "Arial", "--size", "12", "--report", "r", "--report-format", "xml", file},
         "--report-format needs json or jsonl, not \"xml\""},
        {{"--font", "Arial", "--size", "12", "--report-format", "jsonl", file},
         "--report-format applies only with --report FILE"},
        {{"--list-fonts", "--quiet"}, "--list-fonts takes no other arguments"},
    };
    for (const auto& [arguments, error] : cases) {
        err.str("");
        EXPECT_EQ(run(arguments), kExitUsageError) << error;
        EXPECT_EQ(err.str(), "glyphmere-batch: " + error + "\nTry 'glyphmere-batch --help' for more information.\n");
    }
    EXPECT_TRUE(out.str().empty());
    EXPECT_TRUE(word.transcript.empty());
}

TEST_F(BatchCommandLineTest, AttachedValuesAndFilesAfterDoubleDashAreRead)
{
    const BatchArguments parsed = parseArguments(
        {"a.docx", "--font=Liberation Serif", "--size=10,5", "--headers-footers", "--", "-b.docx", "--help"});

    EXPECT_EQ(parsed.error, "");
    EXPECT_EQ(parsed.command, Command::Restyle);
    EXPECT_EQ(parsed.fontName, "Liberation Serif");
    EXPECT_EQ(parsed.fontSize, "10,5");
    EXPECT_TRUE(parsed.headersAndFooters);
    std::vector<std::string> files;
    for (const BatchInput& input : parsed.inputs)
        files.push_back(input.path + (input.kind == InputKind::Folder ? " (folder)" : ""));
    EXPECT_THAT(files, ElementsAre("a.docx", "-b.docx", "--help"));
}

TEST_F(BatchCommandLineTest, EveryFileChanged_PrintsOneLineEachInOrderAndExitsWithZero)
{
    const std::string b = document("b.docx");
    const std::string a = document("a.docx");

    EXPECT_EQ(run({"--font", "Arial", "--size", "12", b, a, b}), kExitAllChanged);

    EXPECT_EQ(out.str(), "changed: " + b + "\nchanged: " + a + "\nchanged: " + b + "\n");
    EXPECT_THAT(openedPaths(), ElementsAre(b, a, b));
    EXPECT_THAT(word.transcript, Contains("put Document.ActiveWindow.Selection.Font.name = \"Arial\""));
    EXPECT_THAT(word.transcript, Contains("put Document.ActiveWindow.Selection.Font.Size = 12"));
    EXPECT_THAT(word.transcript, Not(Contains(HasSubstr("SeekView"))));
    EXPECT_EQ(word.liveInstances(), 0);
    EXPECT_TRUE(err.str().empty());
}

TEST_F(BatchCommandLineTest, OneFileFailing_IsNamedWithItsReasonAndTheOthersAreStillChanged)
{
    const std::string a = document("a.docx");
    const std::string notes = folder.file("notes.docx");
    writeFile(notes, "plain text");
    const std::string c = document("c.docx");

    EXPECT_EQ(run({"--font", "Arial", "--size", "12", "--headers-footers", a, notes, c}), kExitSomeFailed);

    EXPECT_EQ(out.str(), "changed: " + a + "\nfailed: " + notes + ": not a Word document\nchanged: " + c + "\n");
    EXPECT_THAT(openedPaths(), ElementsAre(a, c));
    EXPECT_THAT(word.transcript, Contains("put Document.ActiveWindow.ActivePane.View.SeekView = 10"));
}

TEST_F(BatchCommandLineTest, RelativePath_IsHandedToWordInFullAndPrintedAsGiven)
{
    document("a.docx");
    const auto previous = std::filesystem::current_path();
    std::filesystem::current_path(folder.path());

    const int status = run({"--font", "Arial", "--size", "12", "a.docx"});
    std::filesystem::current_path(previous);

    EXPECT_EQ(status, kExitAllChanged);
    EXPECT_EQ(out.str(), "changed: a.docx\n");
    EXPECT_THAT(openedPaths(), ElementsAre((std::filesystem::canonical(folder.path()) / "a.docx").string()));
}

TEST_F(BatchCommandLineTest, ListFonts_PrintsWordsFontNamesAndEndsWord)
{
    word.collections["FontNames"] = {"Arial", "DejaVu Sans", "Arial"};

    EXPECT_EQ(run({"--list-fonts"}), kExitAllChanged);

    EXPECT_EQ(out.str(), "Arial\nDejaVu Sans\nArial\n");
    EXPECT_THAT(word.transcript,
                ElementsAre("create Word.Application", "enumerate FontNames", "get Documents.Count", "call Quit(0)"));
}

TEST_F(BatchCommandLineTest, FontListUnreadable_SaysWhyAndExitsWithOne)
{
    word.failures["enumerate FontNames"] = "no fonts available";

    EXPECT_EQ(run({"--list-fonts"}), kExitSomeFailed);

    EXPECT_EQ(err.str(), "glyphmere-batch: the font list could not be read: no fonts available\n");
    EXPECT_TRUE(out.str().empty());
    EXPECT_EQ(word.liveInstances(), 0);
}

TEST_F(BatchCommandLineTest, FontNamesNotInstalled_AreNotedOnceBeforeTheRunThatStillAppliesThem)
{
    word.collections["FontNames"] = {"Arial", "Calibri", "Cambria", "Carlito"};
    const std::string a = document("a.docx");
    const std::string b = document("b.docx");

    EXPECT_EQ(run({"--font", "Calbri", "--size", "12", a, b}), kExitAllChanged);

    EXPECT_EQ(err.str(), "glyphmere-batch: note: --font \"Calbri\" is not an installed font family (closest "
                         "installed: \"Calibri\", \"Cambria\"); it is applied as given.\n");
    EXPECT_THAT(word.transcript, Contains("put Document.ActiveWindow.Selection.Font.name = \"Calbri\""));
    EXPECT_EQ(out.str(), "changed: " + a + "\nchanged: " + b + "\n");
    EXPECT_EQ(word.liveInstances(), 0);

    err.str("");
    EXPECT_EQ(run({"--font", "CALIBRI", "--size", "12", a}), kExitAllChanged);
    EXPECT_EQ(err.str(), "") << "compared as the font list compares, without regard to case";

    word.transcript.clear();
    EXPECT_EQ(run({"--font", "Calbri", "--size", "12", "--quiet", a}), kExitAllChanged);
    EXPECT_EQ(err.str(), "");
    EXPECT_THAT(word.transcript, Not(Contains("enumerate FontNames"))) << "a quiet run does not ask for the fonts";
}

TEST_F(BatchCommandLineTest, FontListUnreadableBeforeARun_IsNotedAndTheRunGoesOn)
{
    word.failures["enumerate FontNames"] = "no fonts available";
    const std::string a = document("a.docx");

    EXPECT_EQ(run({"--font", "Arial", "--size", "12", a}), kExitAllChanged);

    EXPECT_EQ(err.str(), "glyphmere-batch: note: the installed fonts could not be listed, so the font names were "
                         "not checked: no fonts available\n");
    EXPECT_EQ(out.str(), "changed: " + a + "\n");
    EXPECT_EQ(word.liveInstances(), 0);
}

TEST(ClosestFontNames, RankTypingSlipsFirstThenNamesThatBeginWithTheText)
{
    const std::vector<std::string> installed = {"Arial",   "Arial Black",     "Calibri",          "Cambria",
                                                "Candara", "Liberation Sans", "Liberation Serif", "Times New Roman"};
    const std::vector<std::pair<std::string, std::vector<std::string>>> cases = {
        {"Calbri", {"Calibri", "Cambria"}},
        {"CALIBIR", {"Calibri"}},
        {"Ariel", {"Arial"}},
        {"Liberation", {"Liberation Sans", "Liberation Serif"}},
        {"Liberaton Serf", {"Liberation Serif", "Liberation Sans"}},
        {"Times", {"Times New Roman"}},
        {"Wingdings", {}},
    };
    for (const auto& [name, closest] : cases)
        EXPECT_EQ(closestFontNames(name, installed), closest) << name;
}

TEST_F(BatchCommandLineTest, Help_PrintsUsageAndExitsWithZero)
{
    EXPECT_EQ(run({"--font", "Arial", "--help"}), kExitAllChanged);

    EXPECT_THAT(out.str(), StartsWith("Usage: glyphmere-batch --font NAME --size POINTS"));
    EXPECT_TRUE(word.transcript.empty());
}

} // namespace
} // namespace glyphmere::batch
