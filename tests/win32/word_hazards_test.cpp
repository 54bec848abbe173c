// Word as users meet it -- prompting where nobody sees it, hanging, busy, converting, sharing its instance
// with a document of the user's -- played by the stand-in's faults, through the real ComAutomation with
// deadlines of a few seconds. Every wait here is bounded.
#include "platform/win32/ComAutomation.h"
#include "platform/win32/Win32FileSystem.h"
#include "platform/win32/Win32Text.h"
#include "word/BatchRun.h"
#include "word/RestyleDocument.h"
#include "word/WordContract.h"

#include "StandInSession.h"
#include "TestTree.h"
#include "TinyCheck.h"

#include <algorithm>
#include <chrono>
#include <memory>
#include <utility>

using namespace glyphmere;
using namespace glyphmere::platform::win32::test;
using platform::Variant;
using platform::win32::CallDeadlines;
using platform::win32::ComAutomation;
using platform::win32::ProcessIds;
using Lines = std::vector<std::string>;
using Switches = std::vector<std::pair<std::string, std::string>>;

namespace {

constexpr std::chrono::seconds kShortDeadline{3};
const CallDeadlines kShortDeadlines{kShortDeadline, kShortDeadline, kShortDeadline, std::chrono::seconds(2)};
constexpr unsigned kEndWaitMilliseconds = 10'000;
// Far below any deadline of the service's own defaults: a test over it waited for something else.
constexpr auto kLongestRun = std::chrono::seconds(20);

const std::string kZipStart = std::string("PK\x03\x04", 4) + "rest of a package";
const std::string kCompoundStart = std::string("\xD0\xCF\x11\xE0\xA1\xB1\x1A\xE1", 8) + "rest of a compound file";
const std::string kSaved = "\n[main] Arial 10.5";
const std::string kUnanswered = "did not answer within 3 seconds; a hidden dialog may have been waiting.";

bool contains(const Lines& lines, const std::string& line)
{
    return std::find(lines.begin(), lines.end(), line) != lines.end();
}

bool containsText(const Lines& lines, const std::string& fragment)
{
    return std::any_of(lines.begin(), lines.end(),
                       [&fragment](const std::string& line) { return line.find(fragment) != std::string::npos; });
}

ProcessIds startedSince(const ProcessIds& before)
{
    ProcessIds started;
    for (const std::uint32_t id : standInProcesses()) {
        if (!before.count(id))
            started.insert(id);
    }
    return started;
}

// One document in a folder of its own, the stand-in's switches, and the service with short deadlines. It
// ends every stand-in it leaves, so one test's Word never meets the next test.
class HazardRun {
public:
    explicit HazardRun(const std::string& name = "Bericht \xC3\xBC.docx", const std::string& bytes = kZipStart)
        : path(tree.path(name)), automation(std::make_unique<ComAutomation>(kShortDeadlines))
    {
        TemporaryTree::write(path, bytes);
    }
    HazardRun(const HazardRun&) = delete;
    HazardRun& operator=(const HazardRun&) = delete;
    ~HazardRun()
    {
        automation.reset();
        endStandIns();
    }

    void set(const Switches& switches)
    {
        for (const auto& [name, value] : switches)
            log.set(name, value);
    }
    word::RestyleResult restyle(const std::string& document)
    {
        return word::RestyleDocument(*automation, files, options, document);
    }
    word::RestyleResult restyle() { return restyle(path); }
    std::optional<std::string> content() const { return TemporaryTree::read(path); }
    // The document count of the instance that runs, asked through a service of its own.
    int runningDocumentCount() const
    {
        ComAutomation probe(kShortDeadlines);
        return Variant(probe.attach(word::kWordClass)).get("Documents").get("Count").toInt32();
    }

    TemporaryTree tree;
    std::string path;
    StandInLog log;
    platform::win32::Win32FileSystem files;
    word::FixedOptions options{"Arial", "10.5", false};
    std::unique_ptr<ComAutomation> automation;
};

} // namespace

TEST_CASE(DocumentFormat_IsKeptOrTheDocumentRefusedUntouched)
{
    struct Row {
        const char* name;
        const char* file;
        const std::string& bytes;
        Switches switches;
        const char* refusal; // empty: restyled and saved in this format
        int format;
    };
    const Row rows[] = {
        {"docx", "a.docx", kZipStart, {}, "", 12},
        {"doc", "a.doc", kCompoundStart, {}, "", 0},
        {"docm", "a.docm", kZipStart, {}, "", 13},
        {"dotx", "a.dotx", kZipStart, {}, "", 14},
        {"converted rtf",
         "a.docx",
         kZipStart,
         {{"saveformat", "6"}},
         "Word converted the document from another format",
         0},
        {"read-only", "a.docx", kZipStart, {{"readonly", "1"}}, "Word opened the document read-only", 0},
    };
    for (const Row& row : rows) {
        HazardRun run(row.file, row.bytes);
        run.set(row.switches);

        const word::RestyleResult result = run.restyle();

        const bool refused = *row.refusal != '\0';
        CHECK_EQ(result.ok, !refused);
        CHECK(result.reason.find(row.refusal) != std::string::npos);
        CHECK_EQ(run.content(), std::optional<std::string>(refused ? row.bytes : row.bytes + kSaved));
        const Lines calls = run.log.lines();
        CHECK_EQ(containsText(calls, "call Document.SaveAs2(\"" + run.path + "\", " + std::to_string(row.format) +
                                         ", missing, missing, False)"),
                 !refused);
        CHECK(!calls.empty() && calls.back() == "call Quit(0)");
    }
}

TEST_CASE(UsersDocument_IsNeverTouchedAndItsWordIsLeftToTheUser)
{
    for (const char* arrival : {"call Documents.Open", "put Document.ActiveWindow.Selection.Font.name",
                                "call Document.SaveAs2", "get Documents.Count"}) {
        HazardRun run;
        const std::string users = run.tree.path("Brief des Nutzers.docx");
        const std::string usersBytes = kZipStart + " written by the user";
        TemporaryTree::write(users, usersBytes);
        run.set({{"foreign", users}, {"foreignat", arrival}});
        const ProcessIds before = standInProcesses();

        const word::RestyleResult result = run.restyle();

        CHECK(result.ok);
        CHECK_EQ(run.content(), std::optional<std::string>(kZipStart + kSaved));
        CHECK_EQ(TemporaryTree::read(users), std::optional<std::string>(usersBytes));
        const Lines calls = run.log.lines();
        CHECK(!contains(calls, "call Quit(0)"));
        CHECK(!calls.empty() && calls.back() == "put Visible = True");
        // The user's Word outlives the service that started it, with the user's document still open.
        const ProcessIds started = startedSince(before);
        run.automation.reset();
        run.set({{"foreignat", ""}});
        CHECK_EQ(started.size(), std::size_t{1});
        CHECK_EQ(run.runningDocumentCount(), 1);
    }
}

TEST_CASE(HungCall_IsEndedByItsDeadlineWithWordsProcess)
{
    struct Row {
        const char* dialogAt;
        bool saved; // the hang comes after the document was saved
    };
    for (const Row& row :
         {Row{"create Word.Application", false}, Row{"call Documents.Open", false}, Row{"call Document.SaveAs2", false},
          Row{"call Quit", true}, Row{"enumerate FontNames", false}}) {
        HazardRun run;
        run.set({{"dialogat", row.dialogAt}});
        const auto started = std::chrono::steady_clock::now();

        std::string reason;
        if (std::string(row.dialogAt) == "enumerate FontNames") {
            struct Fonts final : word::ItemList {
                void addItem(const std::string&) override {}
            } fonts;
            CHECK_THROWS_WITH(word::LoadFontNames(*run.automation, fonts), kUnanswered);
        } else {
            const word::RestyleResult result = run.restyle();
            CHECK_EQ(result.ok, row.saved);
            CHECK(row.saved || result.reason.find(kUnanswered) != std::string::npos);
        }

        CHECK(std::chrono::steady_clock::now() - started < kLongestRun);
        CHECK(waitUntilEnded(standInProcesses(), kEndWaitMilliseconds));
        CHECK_EQ(run.content(), std::optional<std::string>(row.saved ? kZipStart + kSaved : kZipStart));
    }
}

TEST_CASE(BatchRun_GoesOnAfterADocumentWhoseWordHung)
{
    HazardRun run;
    const std::string second = run.tree.path("Zweiter.docx");
    TemporaryTree::write(second, kZipStart);
    run.set({{"dialogat", "call Documents.Open"}});
    struct Rows final : word::DocumentRows {
        Lines paths;
        int count() const override { return static_cast<int>(paths.size()); }
        std::string text(int index) const override { return paths.at(static_cast<std::size_t>(index - 1)); }
    } rows;
    rows.paths = {run.path, second};
    struct Bar final : word::ProgressBar {
        void setProgress(float) override {}
    } bar;
    struct Pointer final : platform::PointerSetting {
        int setting = 0;
        int mousePointer() const override { return setting; }
        void setMousePointer(int value) override { setting = value; }
    } pointer;
    struct Messages final : platform::Dialogs {
        Lines shown;
        platform::MessageAnswer messageBox(const std::string& text, platform::MessageButtons) override
        {
            shown.push_back(text);
            return platform::MessageAnswer::Yes;
        }
        void messageBoxWithDetails(const std::string& text, const std::string& details) override
        {
            shown.push_back(text + "\n" + details);
        }
        std::string inputBox(const std::string&, const std::string&) override { return {}; }
        std::vector<std::string> openFiles(const std::string&, const std::string&) override { return {}; }
        std::string browseForFolder(const std::string&) override { return {}; }
    } dialogs;

    word::runBatch({.rows = rows,
                    .progressBar = bar,
                    .pointer = pointer,
                    .dialogs = dialogs,
                    .warnIfWordOpen = [] { return false; },
                    .restyle =
                        [&run](const std::string& path) {
                            const word::RestyleResult result = run.restyle(path);
                            run.log.set("dialogat", "");
                            return result;
                        }});

    CHECK_EQ(dialogs.shown.size(), std::size_t{1});
    CHECK(containsText(dialogs.shown,
                       "1 of 2 documents could not be changed:\r\n" + run.path + ": Open failed: Word " + kUnanswered));
    CHECK_EQ(run.content(), std::optional<std::string>(kZipStart));
    CHECK_EQ(TemporaryTree::read(second), std::optional<std::string>(kZipStart + kSaved));
    CHECK_EQ(pointer.setting, 0);
}

TEST_CASE(BusyWord_IsRetriedUntilItAnswersOrGivenUpWithAReason)
{
    for (const bool answersInTime : {true, false}) {
        HazardRun run;
        run.set({{"busyat", "put DisplayAlerts"}, {"busyfor", answersInTime ? "1500" : "60000"}});

        const word::RestyleResult result = run.restyle();

        CHECK_EQ(result.ok, answersInTime);
        CHECK(answersInTime || result.reason.find("Word stayed busy for 3 seconds and turned the call away; a hidden "
                                                  "dialog may have been waiting.") != std::string::npos);
        CHECK_EQ(run.content(), std::optional<std::string>(answersInTime ? kZipStart + kSaved : kZipStart));
        CHECK(waitUntilEnded(standInProcesses(), kEndWaitMilliseconds));
    }
}

TEST_CASE(OpenWordCheck_CountsABusyWordAsRunning)
{
    HazardRun run;
    const Variant held(run.automation->create(word::kWordClass));
    run.set({{"busyat", "get Documents.Count"}, {"busyfor", "30000"}});
    held.get("Documents").get("Count");
    const auto started = std::chrono::steady_clock::now();

    CHECK(word::IsWordRunning(*run.automation));

    CHECK(std::chrono::steady_clock::now() - started < kLongestRun);
}

TEST_CASE(BackgroundSave_IsAwaitedAndBoundedByTheDocumentDeadline)
{
    for (const bool finishes : {true, false}) {
        HazardRun run;
        run.set({{"backgroundsave", finishes ? "3" : "100000000"}});

        const word::RestyleResult result = run.restyle();

        CHECK_EQ(result.ok, finishes);
        CHECK(finishes || result.reason.find("Word did not finish saving within 3 seconds") != std::string::npos);
        CHECK_EQ(run.content(), std::optional<std::string>(finishes ? kZipStart + kSaved : kZipStart));
        const Lines calls = run.log.lines();
        CHECK(!finishes || std::count(calls.begin(), calls.end(), "get BackgroundSavingStatus") == 4);
        CHECK(waitUntilEnded(standInProcesses(), kEndWaitMilliseconds));
    }
}

TEST_CASE(QuitIgnored_WordEndsWithTheServiceThatStartedIt)
{
    HazardRun run;
    run.set({{"ignorequit", "1"}});
    const ProcessIds before = standInProcesses();

    CHECK(run.restyle().ok);

    const ProcessIds started = startedSince(before);
    CHECK_EQ(started.size(), std::size_t{1});
    CHECK_EQ(run.runningDocumentCount(), 0);
    run.automation.reset();
    CHECK(waitUntilEnded(started, kEndWaitMilliseconds));
}

namespace {

constexpr const char* kHoldWordSwitch = "--hold-word";

// The child's part of the test below: starts a Word through the service, says so, and waits to be ended.
int holdWord(const std::wstring& readyFile)
{
    ComAutomation automation(kShortDeadlines);
    const Variant word(automation.create(word::kWordClass));
    TemporaryTree::write(platform::win32::narrow(readyFile), "ready");
    Sleep(60'000);
    return 0;
}

bool waitForFile(const std::string& path, unsigned timeoutMilliseconds)
{
    const ULONGLONG until = GetTickCount64() + timeoutMilliseconds;
    while (!TemporaryTree::read(path)) {
        if (GetTickCount64() >= until)
            return false;
        Sleep(100);
    }
    return true;
}

} // namespace

TEST_CASE(ProgramEndedAbruptly_TheWordItStartedEndsToo)
{
    TemporaryTree tree;
    const std::string ready = tree.path("ready.txt");
    wchar_t program[MAX_PATH];
    GetModuleFileNameW(nullptr, program, MAX_PATH);
    std::wstring command = L"\"" + std::wstring(program) + L"\" " + platform::win32::widen(kHoldWordSwitch) + L" \"" +
                           platform::win32::widen(ready) + L"\"";
    const ProcessIds before = standInProcesses();
    STARTUPINFOW startup{};
    startup.cb = sizeof startup;
    PROCESS_INFORMATION child{};
    CHECK(CreateProcessW(nullptr, command.data(), nullptr, nullptr, FALSE, 0, nullptr, nullptr, &startup, &child));
    if (!child.hProcess)
        return;

    CHECK(waitForFile(ready, 30'000));
    const ProcessIds started = startedSince(before);
    TerminateProcess(child.hProcess, 1);
    WaitForSingleObject(child.hProcess, kEndWaitMilliseconds);
    CloseHandle(child.hProcess);
    CloseHandle(child.hThread);

    CHECK_EQ(started.size(), std::size_t{1});
    CHECK(waitUntilEnded(started, kEndWaitMilliseconds));
    endStandIns();
}

int main(int argc, char** argv)
{
    if (!registerStandInWord()) {
        std::printf("the stand-in Word could not be registered\n");
        return 1;
    }
    if (argc == 3 && std::string(argv[1]) == kHoldWordSwitch)
        return holdWord(platform::win32::widen(argv[2]));
    return tinycheck::runAllTests(std::vector<std::string>(argv + 1, argv + argc));
}
