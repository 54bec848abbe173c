#include "word/RestyleDocument.h"

#include "fakes/RecordingAutomation.h"
#include "platform/posix/PosixFileSystem.h"
#include "support/TestDocuments.h"
#include "word/RestyleTranscript.h"

#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include <algorithm>
#include <cerrno>
#include <filesystem>
#include <functional>
#include <optional>
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

long linesStartingWith(const Transcript& transcript, const std::string& start)
{
    return std::count_if(transcript.begin(), transcript.end(),
                         [&](const std::string& line) { return line.starts_with(start); });
}

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
    // Up to the save, and the save itself, without the end.
    Transcript untilSaved() const
    {
        return joined(
            {opening(),
             fontPass(1),
             {"put Application.DisplayAlerts = False",
              "call Document.SaveAs2(\"" + path + "\", 12, missing, missing, False)", "get BackgroundSavingStatus"}});
    }

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
    const std::string view = "Document.ActiveWindow.ActivePane.View.";
    word.values[view + "Type"] = std::int32_t{5};
    const Transcript views = {"get " + view + "Type", "put " + view + "Type = 3", "put " + view + "SeekView = 9"};

    EXPECT_TRUE(restyle(1).ok);

    EXPECT_THAT(word.transcript, ElementsAreArray(joined({opening(),
                                                          fontPass(1),
                                                          views,
                                                          fontPass(2),
                                                          {"put " + view + "SeekView = 10"},
                                                          fontPass(3),
                                                          {"put " + view + "Type = \"5\""},
                                                          saving()})));
    EXPECT_THAT(word.transcript, ElementsAreArray(restyle_transcript::restyleTranscript(path, 1, 5)));
    EXPECT_EQ(word.liveInstances(), 0);
}

TEST_F(RestyleDocumentTest, OptionsAreReadAtEachUse_TheSizeOnceMoreToCheckItFirst)
{
    for (const auto& [flag, expectedReads] : {std::pair{1, 3}, std::pair{0, 1}}) {
        CountingOptions options(flag);
        RestyleDocument(word, files, options, path);
        EXPECT_EQ(options.nameReads, expectedReads) << "flag " << flag;
        EXPECT_EQ(options.sizeReads, expectedReads + 1) << "flag " << flag;
    }
}

// A failing Word call at any stage: our document is closed without saving, the instance is ended once it is
// found to hold no document, and the failure comes back.
TEST_F(RestyleDocumentTest, FailingWordCall_ClosesWithoutSavingThenEndsAnEmptyWordAndReportsTheDescription)
{
    const auto documentHeld = [](const std::string& step) {
        return step != "put AutomationSecurity" && step != "call Documents.Open";
    };
    for (const std::string& failing : restyle_transcript::kFailingSteps) {
        RecordingAutomation failingWord;
        failingWord.failures[failing] = "Word refused: " + failing;
        CountingOptions options(1);

        const RestyleResult result = RestyleDocument(failingWord, files, options, path);

        EXPECT_FALSE(result.ok) << failing;
        EXPECT_EQ(result.reason, "Word refused: " + failing);
        Transcript end = {"get Documents.Count", "call Quit(0)"};
        if (documentHeld(failing))
            end.insert(end.begin(), "call Document.Close(0)");
        const Transcript& calls = failingWord.transcript;
        ASSERT_GE(calls.size(), end.size()) << failing;
        EXPECT_THAT(Transcript(calls.end() - static_cast<std::ptrdiff_t>(end.size()), calls.end()),
                    ElementsAreArray(end))
            << failing;
        EXPECT_EQ(failingWord.liveInstances(), 0) << failing;
        const bool saveReached = failing == "call Document.SaveAs2" || failing == "get BackgroundSavingStatus";
        EXPECT_EQ(linesStartingWith(calls, "call Document.SaveAs2"), saveReached ? 1 : 0) << failing;
    }
}

// Word's answers that must change how the document ends, one row each.
struct WordAnswers {
    const char* name;
    std::function<void(RecordingAutomation&)> script;
    std::optional<std::string> reason; // nullopt: the document counts as changed
    Transcript expected;
};

TEST_F(RestyleDocumentTest, WordsAnswers_DecideWhetherTheDocumentIsChangedAndHowWordIsLeft)
{
    const Transcript closedAndEnded = restyle_transcript::ending();
    const Transcript closedAndShown = {"call Document.Close(0)", "get Documents.Count", "put Visible = True"};
    Transcript untilReadOnly = opening();
    untilReadOnly.pop_back(); // the format is not asked for
    const std::vector<WordAnswers> rows = {
        // The application's active document, selection and window would be the user's: the fake fails the
        // test if any of them is used.
        {"a document of the user's landed in our Word", [](RecordingAutomation& w) { w.foreignDocuments = 1; },
         std::nullopt, joined({untilSaved(), closedAndShown})},
        {"opened read-only", [](RecordingAutomation& w) { w.values["Document.ReadOnly"] = true; },
         "Word opened the document read-only: it may be open in another program or another Word, its author may "
         "recommend opening it read-only, or it is protected by a password to modify",
         joined({untilReadOnly, closedAndEnded})},
        {"converted from rich text", [](RecordingAutomation& w) { w.values["Document.SaveFormat"] = std::int32_t{6}; },
         "Word converted the document from another format (Word's save format 6), and saving it would write that "
         "format over the file",
         joined({opening(), closedAndEnded})},
        {"a failure, then the count cannot be read",
         [](RecordingAutomation& w) {
             w.failures["put Document.ActiveWindow.Selection.Font.name"] = "The font is not available.";
             w.failures["get Documents.Count"] = "Word is busy.";
         },
         "The font is not available.",
         joined({opening(),
                 {"call Document.ActiveWindow.Selection.WholeStory()",
                  "put Document.ActiveWindow.Selection.Font.name = \"Font1\"", "call Document.Close(0)",
                  "get Documents.Count"}})},
        {"our document does not close after the save",
         [](RecordingAutomation& w) { w.failures["call Document.Close"] = "The document is in use."; }, std::nullopt,
         joined({untilSaved(), closedAndShown})},
        {"the save goes on in the background",
         [](RecordingAutomation& w) {
             w.valuesBefore["BackgroundSavingStatus"] = {std::int32_t{1}, std::int32_t{1}};
         },
         std::nullopt,
         joined({untilSaved(), {"get BackgroundSavingStatus", "get BackgroundSavingStatus"}, closedAndEnded})},
    };
    for (const WordAnswers& row : rows) {
        SCOPED_TRACE(row.name);
        RecordingAutomation answering;
        row.script(answering);
        CountingOptions options(0);

        const RestyleResult result = RestyleDocument(answering, files, options, path);

        EXPECT_EQ(result.ok, !row.reason);
        EXPECT_EQ(result.reason, row.reason.value_or(""));
        EXPECT_THAT(answering.transcript, ElementsAreArray(row.expected));
    }
}

TEST_F(RestyleDocumentTest, EachOwnFormatIsSavedAsItWas_AnyOtherIsRefused)
{
    // .doc, .dot, .docx, .docm, .dotx, .dotm, strict .docx; then text, RTF, Word's default, PDF.
    for (const std::int32_t format : {0, 1, 12, 13, 14, 15, 24, 2, 6, 16, 17}) {
        word.transcript.clear();
        word.values["Document.SaveFormat"] = format;
        const bool own = format <= 1 || (format >= 12 && format <= 15) || format == 24;

        const RestyleResult result = restyle();

        EXPECT_EQ(result.ok, own) << format;
        const std::string save =
            "call Document.SaveAs2(\"" + path + "\", " + std::to_string(format) + ", missing, missing, False)";
        EXPECT_EQ(linesStartingWith(word.transcript, save), own ? 1 : 0) << format;
    }
}

TEST_F(RestyleDocumentTest, SizeIsHandedToWordAsTheNumberItsTextReads_OtherTextFailsBeforeWordStarts)
{
    // The platform's number rule has its own table; these show that Word is given what it reads.
    const std::vector<std::pair<std::string, std::optional<std::string>>> rows = {
        {"10,5", "10.5"}, {" 12 ", "12"}, {"big", std::nullopt}, {"", std::nullopt}};
    for (const auto& [text, handed] : rows) {
        word.transcript.clear();
        const FixedOptions options("Arial", text, false);

        const RestyleResult result = RestyleDocument(word, files, options, path);

        if (handed) {
            EXPECT_THAT(word.transcript, Contains("put Document.ActiveWindow.Selection.Font.Size = " + *handed))
                << text;
        } else {
            EXPECT_EQ(result.reason, "the font size \"" + text + "\" is not a number");
            EXPECT_TRUE(word.transcript.empty()) << text;
        }
    }
}

TEST_F(RestyleDocumentTest, QuitFailingToo_ReportsTheFirstFailureWithoutThrowing)
{
    word.failures["put Document.ActiveWindow.Selection.Font.Size"] = "The size is not valid.";
    word.failures["call Quit"] = "Word has gone away.";

    const RestyleResult result = restyle();

    EXPECT_FALSE(result.ok);
    EXPECT_EQ(result.reason, "The size is not valid.");
    EXPECT_EQ(word.transcript.back(), "call Quit(0)");
}

// The document is saved by then: the failing Quit cannot undo that, so the document counts as changed.
TEST_F(RestyleDocumentTest, QuitFailingAfterTheSave_ReportsTheDocumentAsChanged)
{
    word.failures["call Quit"] = "Word has gone away.";

    const RestyleResult result = restyle();

    EXPECT_TRUE(result.ok) << result.reason;
    EXPECT_THAT(word.transcript, ElementsAreArray(joined({opening(), fontPass(1), saving()})));
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
    EXPECT_EQ(files.firstBytes(folder.file("pipe.docx"), 8).bytes, std::nullopt);
    EXPECT_EQ(files.firstBytes(folder.file("compound"), 4).bytes, std::optional<std::string>("\xD0\xCF\x11\xE0"));
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
