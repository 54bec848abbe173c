#include "word/RestyleDocument.h"

#include "fakes/RecordingAutomation.h"
#include "platform/posix/PosixFileSystem.h"
#include "support/TestDocuments.h"
#include "word/RestyleTranscript.h"

#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include <cerrno>
#include <filesystem>
#include <system_error>

#include <sys/stat.h>

namespace glyphmere::word {
namespace {

using fakes::RecordingAutomation;
using restyle_transcript::CountingOptions;
using restyle_transcript::fontPass;
using restyle_transcript::joined;
using restyle_transcript::Transcript;
using ::testing::Contains;
using ::testing::ElementsAreArray;
using ::testing::Not;
using testing_support::TemporaryFolder;
using testing_support::writeFile;

class RestyleDocumentTest : public ::testing::Test {
protected:
    RestyleDocumentTest() { writeFile(path, std::string("PK\x03\x04", 4) + "rest of a package"); }

    RestyleResult restyle(int headersAndFooters = 0)
    {
        CountingOptions options(headersAndFooters);
        return RestyleDocument(word, files, options, path);
    }

    Transcript opening() const { return restyle_transcript::opening(path); }
    Transcript saving() const { return restyle_transcript::saving(path); }

    TemporaryFolder folder;
    std::string path = folder.file("report.docx");
    RecordingAutomation word;
    platform::posix::PosixFileSystem files;
};

TEST_F(RestyleDocumentTest, FlagNotExactlyOne_ChangesTheMainTextOnly)
{
    for (int value : {0, 2, -1, 3}) {
        word.transcript.clear();
        EXPECT_TRUE(restyle(value).ok);
        EXPECT_THAT(word.transcript, ElementsAreArray(joined({opening(), fontPass(1), saving()})))
            << "headers-and-footers value " << value;
    }
    EXPECT_EQ(word.liveInstances(), 0);
}

TEST_F(RestyleDocumentTest, FlagOne_ChangesMainTextThenHeaderThenFooterAndRestoresTheViewFromItsText)
{
    word.values["ActiveWindow.ActivePane.View.Type"] = std::int32_t{5};
    const Transcript views = {"get ActiveWindow.ActivePane.View.Type", "put ActiveWindow.ActivePane.View.Type = 3",
                              "put ActiveWindow.ActivePane.View.SeekView = 9"};

    EXPECT_TRUE(restyle(1).ok);

    EXPECT_THAT(word.transcript, ElementsAreArray(joined({opening(),
                                                          fontPass(1),
                                                          views,
                                                          fontPass(2),
                                                          {"put ActiveWindow.ActivePane.View.SeekView = 10"},
                                                          fontPass(3),
                                                          {"put ActiveWindow.ActivePane.View.Type = \"5\""},
                                                          saving()})));
    EXPECT_THAT(word.transcript, ElementsAreArray(restyle_transcript::restyleTranscript(path, 1, 5)));
    EXPECT_EQ(word.liveInstances(), 0);
}

TEST_F(RestyleDocumentTest, OptionsAreReadAtEachUse)
{
    for (const auto& [flag, expectedReads] : {std::pair{1, 3}, std::pair{0, 1}}) {
        CountingOptions options(flag);
        RestyleDocument(word, files, options, path);
        EXPECT_EQ(options.nameReads, expectedReads) << "flag " << flag;
        EXPECT_EQ(options.sizeReads, expectedReads) << "flag " << flag;
    }
}

// A failing Word call at any stage: the instance is ended without saving and the failure comes back.
TEST_F(RestyleDocumentTest, FailingWordCall_QuitsWithoutSavingAndReportsTheDescription)
{
    for (const std::string& failing : restyle_transcript::kFailingSteps) {
        RecordingAutomation failingWord;
        failingWord.failures[failing] = "Word refused: " + failing;
        CountingOptions options(1);

        const RestyleResult result = RestyleDocument(failingWord, files, options, path);

        EXPECT_FALSE(result.ok) << failing;
        EXPECT_EQ(result.reason, "Word refused: " + failing);
        EXPECT_EQ(failingWord.transcript.back(), "call Quit(0)") << failing;
        EXPECT_THAT(failingWord.transcript, Not(Contains("call Quit()"))) << failing;
        EXPECT_EQ(failingWord.liveInstances(), 0) << failing;
        if (failing != "call ActiveDocument.SaveAs") {
            EXPECT_THAT(failingWord.transcript, Not(Contains(::testing::HasSubstr("SaveAs")))) << failing;
        }
    }
}

TEST_F(RestyleDocumentTest, QuitFailingToo_ReportsTheFirstFailureWithoutThrowing)
{
    word.failures["put Selection.Font.Size"] = "The size is not valid.";
    word.failures["call Quit"] = "Word has gone away.";

    const RestyleResult result = restyle();

    EXPECT_FALSE(result.ok);
    EXPECT_EQ(result.reason, "The size is not valid.");
    EXPECT_EQ(word.transcript.back(), "call Quit(0)");
}

// The document is saved by then: the failing Quit cannot undo that, so the document counts as changed,
// and the instance is asked once more to end, now without saving.
TEST_F(RestyleDocumentTest, QuitFailingAfterTheSave_ReportsTheDocumentAsChanged)
{
    word.failures["call Quit"] = "Word has gone away.";

    const RestyleResult result = restyle();

    EXPECT_TRUE(result.ok) << result.reason;
    Transcript expected = joined({opening(), fontPass(1), saving()});
    expected.push_back("call Quit(0)");
    EXPECT_THAT(word.transcript, ElementsAreArray(expected));
}

TEST_F(RestyleDocumentTest, WordNotStarting_ReportsWhy)
{
    word.failures["create Word.Application"] = "Word is not installed.";

    const RestyleResult result = restyle();

    EXPECT_FALSE(result.ok);
    EXPECT_EQ(result.reason, "Word is not installed.");
    EXPECT_THAT(word.transcript, ElementsAreArray(Transcript{"create Word.Application"}));
}

TEST(RefusalBeforeOpening, LooksAtTheKindAndTheFirstBytesOfTheFile)
{
    TemporaryFolder folder;
    writeFile(folder.file("package"), std::string("PK\x03\x04", 4));
    writeFile(folder.file("compound"), "\xD0\xCF\x11\xE0\xA1\xB1\x1A\xE1 and more");
    writeFile(folder.file("text.docx"), "Dear Ann, this is plain text.");
    writeFile(folder.file("rich.doc"), "{\\rtf1\\ansi hello}");
    writeFile(folder.file("empty.docx"), "");
    writeFile(folder.file("short"), "PK");
    writeFile(folder.file("compound-start"), "\xD0\xCF\x11\xE0");
    ASSERT_EQ(mkfifo(folder.file("pipe.docx").c_str(), 0600), 0);
    std::filesystem::create_directory(folder.file("folder.docx"));
    std::filesystem::create_symlink(folder.file("package"), folder.file("link.docx"));
    std::filesystem::create_symlink(folder.file("loop.docx"), folder.file("loop.docx"));

    const std::vector<std::pair<std::string, std::optional<std::string>>> cases = {
        {"package", std::nullopt},
        {"compound", std::nullopt},
        {"link.docx", std::nullopt},
        // The reason in brackets is the system's own wording, whatever the C library calls it.
        {"loop.docx", "the file cannot be examined (" + std::generic_category().message(ELOOP) + ")"},
        {"missing.docx", "the file does not exist"},
        {"text.docx", "not a Word document"},
        {"rich.doc", "not a Word document"},
        {"empty.docx", "not a Word document"},
        {"short", "not a Word document"},
        {"compound-start", "not a Word document"},
        {"pipe.docx", "not a Word document"},
        {"folder.docx", "not a Word document"},
    };
    platform::posix::PosixFileSystem files;
    for (const auto& [name, expected] : cases)
        EXPECT_EQ(refusalBeforeOpening(files, folder.file(name)), expected) << name;
    // Read directly, a FIFO without a writer gives nothing at once instead of waiting.
    EXPECT_EQ(files.firstBytes(folder.file("pipe.docx"), 8), std::nullopt);
    EXPECT_EQ(files.firstBytes(folder.file("compound"), 4), std::optional<std::string>("\xD0\xCF\x11\xE0"));
}

TEST(RestyleDocument, RefusedFile_NeverStartsWord)
{
    TemporaryFolder folder;
    writeFile(folder.file("notes.docx"), "plain text");
    RecordingAutomation word;
    platform::posix::PosixFileSystem files;
    const CountingOptions options(1);

    const RestyleResult result = RestyleDocument(word, files, options, folder.file("notes.docx"));

    EXPECT_FALSE(result.ok);
    EXPECT_EQ(result.reason, "not a Word document");
    EXPECT_TRUE(word.transcript.empty());
}

} // namespace
} // namespace glyphmere::word
