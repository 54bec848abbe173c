// The Word procedures through the real Windows services, against the stand-in Word, on documents whose
// paths are not ASCII.
#include "platform/win32/ComAutomation.h"
#include "platform/win32/Win32FileSystem.h"
#include "platform/win32/Win32Text.h"
#include "word/BatchRun.h"
#include "word/RestyleDocument.h"
#include "word/RestyleTranscript.h"
#include "word/WordContract.h"

#include "StandInSession.h"
#include "TestTree.h"
#include "TinyCheck.h"

#include <algorithm>

using namespace glyphmere;
using namespace glyphmere::platform::win32::test;
using platform::win32::ComAutomation;
using platform::win32::Win32FileSystem;
using word::restyle_transcript::CountingOptions;
using word::restyle_transcript::restyleTranscript;
using Lines = std::vector<std::string>;

namespace {

const std::string kPackageStart = std::string("PK\x03\x04", 4) + "rest of a package";
// The stand-in opens a new document in the normal view.
constexpr int kStandInViewType = 1;

const Lines kDocumentNames = {
    "\xC3\x9C"
    "berpr\xC3\xBC"
    "fung caf\xC3\xA9 \xE2\x80\x93 na\xC3\xAF"
    "ve.docx",                                                                       // Überprüfung café – naïve
    "\xE6\x97\xA5\xE6\x9C\xAC\xE8\xAA\x9E\xE3\x81\xAE\xE6\x96\x87\xE6\x9B\xB8.docx", // 日本語の文書
    "\xD0\x9E\xD1\x82\xD1\x87\xD1\x91\xD1\x82.docx",                                 // Отчёт
    "Bericht \xF0\x9F\x93\x84 final.docx",                                           // an emoji
};
const Lines kFontListCalls = {"create Word.Application", "enumerate FontNames", "get Documents.Count", "call Quit(0)"};
const std::string kFolderName = "Dokumente \xC3\x84rger \xD0\x9F\xD0\xB0\xD0\xBF\xD0\xBA\xD0\xB0"; // Ärger Папка

// The documents of kDocumentNames in a folder whose name is not ASCII, and one more in folders deep
// enough that its full path passes the classic limit of 260 characters.
Lines makeDocuments(const TemporaryTree& tree)
{
    tree.folder(kFolderName);
    Lines paths;
    for (const std::string& name : kDocumentNames)
        paths.push_back(tree.path(kFolderName + "\\" + name));
    std::string deep = kFolderName;
    for (int level = 0; level < 5; ++level) {
        deep += "\\" + std::to_string(level) + " \xD0\xB3\xD0\xBB\xD1\x83\xD0\xB1\xD0\xBE\xD0\xBA\xD0\xBE " +
                std::string(40, static_cast<char>('a' + level));
        tree.folder(deep);
    }
    paths.push_back(tree.path(deep + "\\" + kDocumentNames[2]));
    CHECK(platform::win32::widen(paths.back()).size() > 260);
    for (const std::string& path : paths)
        TemporaryTree::write(path, kPackageStart);
    return paths;
}

// What the stand-in writes when it saves: the document it opened and the font of each story (the
// counting options' size is read once before Word starts).
std::string savedDocument(int headersAndFooters)
{
    const std::string main = kPackageStart + "\n[main] Font1 12";
    return headersAndFooters == 1 ? main + "\n[header] Font2 13\n[footer] Font3 14" : main;
}

bool contains(const Lines& lines, const std::string& line)
{
    return std::find(lines.begin(), lines.end(), line) != lines.end();
}

class RecordingDialogs final : public platform::Dialogs {
public:
    platform::MessageAnswer messageBox(const std::string& text, platform::MessageButtons) override
    {
        messages.push_back(text);
        return answer;
    }
    void messageBoxWithDetails(const std::string& text, const std::string&) override { messages.push_back(text); }
    std::string inputBox(const std::string&, const std::string&) override { return {}; }
    std::vector<std::string> openFiles(const std::string&, const std::string&) override { return {}; }
    std::string browseForFolder(const std::string&) override { return {}; }

    Lines messages;
    platform::MessageAnswer answer = platform::MessageAnswer::No;
};

class Rows final : public word::DocumentRows {
public:
    explicit Rows(Lines paths) : m_paths(std::move(paths)) {}
    int count() const override { return static_cast<int>(m_paths.size()); }
    std::string text(int index) const override { return m_paths.at(static_cast<std::size_t>(index - 1)); }

private:
    Lines m_paths;
};

class Bar final : public word::ProgressBar {
public:
    void setProgress(float) override {}
};

class Pointer final : public platform::PointerSetting {
public:
    int mousePointer() const override { return m_setting; }
    void setMousePointer(int setting) override { m_setting = setting; }

private:
    int m_setting = 0;
};

class Fonts final : public word::ItemList {
public:
    void addItem(const std::string& text) override { names.push_back(text); }
    Lines names;
};

} // namespace

TEST_CASE(Refusal_LooksAtFilesWhoseNamesAreNotAscii)
{
    TemporaryTree tree;
    Win32FileSystem files;
    for (const std::string& path : makeDocuments(tree)) {
        CHECK_EQ(word::refusalBeforeOpening(files, path), std::optional<std::string>());
        TemporaryTree::write(path, "Dear Ann, this is plain text.");
        CHECK_EQ(word::refusalBeforeOpening(files, path), std::optional<std::string>("not a Word document"));
        CHECK_EQ(word::refusalBeforeOpening(files, path + ".missing"),
                 std::optional<std::string>("the file does not exist"));
    }
    CHECK_EQ(word::refusalBeforeOpening(files, tree.path(kFolderName)),
             std::optional<std::string>("not a Word document"));
}

TEST_CASE(Restyle_HoldsTheLinuxConversationAndSavesEveryDocument)
{
    TemporaryTree tree;
    ComAutomation automation;
    Win32FileSystem files;
    for (const std::string& path : makeDocuments(tree)) {
        for (const int headersAndFooters : {0, 1}) {
            TemporaryTree::write(path, kPackageStart);
            StandInLog log;
            const CountingOptions options(headersAndFooters);

            const word::RestyleResult result = word::RestyleDocument(automation, files, options, path);

            CHECK(result.ok);
            CHECK_EQ(result.reason, "");
            CHECK_EQ(log.lines(), restyleTranscript(path, headersAndFooters, kStandInViewType));
            CHECK_EQ(TemporaryTree::read(path), std::optional<std::string>(savedDocument(headersAndFooters)));
        }
    }
    CHECK(!word::IsWordRunning(automation));
}

TEST_CASE(FailingStep_ClosesWithoutSavingQuitsAndReturnsTheReason)
{
    TemporaryTree tree;
    ComAutomation automation;
    Win32FileSystem files;
    const std::string path = makeDocuments(tree)[2];
    for (const std::string& step : word::restyle_transcript::kFailingSteps) {
        TemporaryTree::write(path, kPackageStart);
        StandInLog log;
        log.failAt(step);

        const word::RestyleResult result = word::RestyleDocument(automation, files, CountingOptions(1), path);

        CHECK(!result.ok);
        CHECK(result.reason.find("Word refused: " + step) != std::string::npos);
        const Lines calls = log.lines();
        CHECK(!calls.empty() && calls.back() == "call Quit(0)");
        const bool opened = step != "put AutomationSecurity" && step != "call Documents.Open";
        CHECK_EQ(contains(calls, "call Document.Close(0)"), opened);
        // A failure after the save leaves the saved document; any other leaves the file as it was.
        const bool saved = step == "get BackgroundSavingStatus";
        CHECK_EQ(TemporaryTree::read(path), std::optional<std::string>(saved ? savedDocument(1) : kPackageStart));
        CHECK(!word::IsWordRunning(automation));
    }
}

TEST_CASE(WordNotStarting_ReturnsTheReasonAndTouchesNothing)
{
    TemporaryTree tree;
    ComAutomation automation;
    Win32FileSystem files;
    const std::string path = makeDocuments(tree)[1];
    StandInLog log;
    log.failAt("create Word.Application");

    const word::RestyleResult result = word::RestyleDocument(automation, files, CountingOptions(0), path);

    CHECK(!result.ok);
    CHECK(result.reason.find("Creating \"Word.Application\" failed") != std::string::npos);
    CHECK_EQ(log.lines(), Lines{"create Word.Application"});
    CHECK_EQ(TemporaryTree::read(path), std::optional<std::string>(kPackageStart));
}

TEST_CASE(BatchRun_ChangesEveryDocumentAndNamesTheOnesItCannot)
{
    TemporaryTree tree;
    ComAutomation automation;
    Win32FileSystem files;
    RecordingDialogs dialogs;
    Bar bar;
    Pointer pointer;
    Lines paths = makeDocuments(tree);
    const std::string missing = tree.path(kFolderName + "\\Fehlt \xC3\xBC.docx");
    const std::string text = tree.path(kFolderName + "\\Notiz \xD0\xB7.docx");
    TemporaryTree::write(text, "plain text");
    paths.insert(paths.begin() + 1, {missing, text});
    const Rows rows(paths);
    const word::FixedOptions options("Gr\xC3\xB6\xC3\x9F"
                                     "e Sans",
                                     "12", true);
    StandInLog log;

    word::runBatch(
        {.rows = rows,
         .progressBar = bar,
         .pointer = pointer,
         .dialogs = dialogs,
         .warnIfWordOpen = [&] { return word::WarnIfWordOpen(automation, dialogs); },
         .restyle = [&](const std::string& path) { return word::RestyleDocument(automation, files, options, path); }});

    CHECK_EQ(dialogs.messages, Lines{"Done.\r\n\r\n2 of 7 documents could not be changed:\r\n" + missing +
                                     ": the file does not exist\r\n" + text + ": not a Word document"});
    const std::string saved = kPackageStart + "\n[main] Gr\xC3\xB6\xC3\x9F"
                                              "e Sans 12\n[header] Gr\xC3\xB6\xC3\x9F"
                                              "e Sans 12"
                                              "\n[footer] Gr\xC3\xB6\xC3\x9F"
                                              "e Sans 12";
    for (const std::string& path : paths) {
        if (path != missing && path != text)
            CHECK_EQ(TemporaryTree::read(path), std::optional<std::string>(saved));
    }
    const Lines calls = log.lines();
    CHECK_EQ(std::count(calls.begin(), calls.end(), std::string("call Quit(0)")), 5);
}

TEST_CASE(OpenWordCheck_FindsTheStandInOnlyWhileItRuns)
{
    ComAutomation automation;
    RecordingDialogs dialogs;
    CHECK(!word::IsWordRunning(automation));
    CHECK(!word::WarnIfWordOpen(automation, dialogs));
    CHECK(dialogs.messages.empty());

    StandInLog log;
    const platform::Variant running(automation.create(word::kWordClass));
    CHECK(word::IsWordRunning(automation));
    CHECK(contains(log.lines(), "default Word.Application"));
    dialogs.answer = platform::MessageAnswer::No;
    CHECK(word::WarnIfWordOpen(automation, dialogs));
    dialogs.answer = platform::MessageAnswer::Yes;
    CHECK(!word::WarnIfWordOpen(automation, dialogs));
    CHECK_EQ(dialogs.messages.size(), std::size_t{2});

    running.call("Quit");
    CHECK(!word::IsWordRunning(automation));
}

TEST_CASE(FontList_GivesWordsNamesInItsOrderAndEndsTheInstance)
{
    ComAutomation automation;
    StandInLog log;
    Fonts fonts;

    word::LoadFontNames(automation, fonts);

    CHECK_EQ(fonts.names, (Lines{"Arial",
                                 "Gr\xC3\xB6\xC3\x9F"
                                 "e Sans",
                                 "\xEF\xBC\xAD\xEF\xBC\xB3 \xE6\x98\x8E\xE6\x9C\x9D", "Times New Roman"}));
    CHECK_EQ(log.lines(), kFontListCalls);
    CHECK(!word::IsWordRunning(automation));
}

TEST_CASE(FontList_ReadFailing_EndsTheInstanceAndThrows)
{
    ComAutomation automation;
    StandInLog log;
    log.failAt("enumerate FontNames");
    Fonts fonts;

    CHECK_THROWS_WITH(word::LoadFontNames(automation, fonts), "Word refused: enumerate FontNames");

    CHECK(fonts.names.empty());
    CHECK_EQ(log.lines(), kFontListCalls);
}

int main()
{
    if (!registerStandInWord()) {
        std::printf("the stand-in Word could not be registered\n");
        return 1;
    }
    return tinycheck::runAllTests();
}
