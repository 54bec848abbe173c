#include "Form1Fixture.h"

#include "doclist/DocumentListView.h"
#include "platform/posix/PosixFileSystem.h"
#include "support/TestDocuments.h"

#include <QAccessible>
#include <QTest>

#include <gmock/gmock.h>

#include <filesystem>
#include <functional>

namespace glyphmere::app::testing {
namespace {

using platform::MousePointer::Default;
using platform::MousePointer::Hourglass;
using ::testing::ElementsAre;

// Hands every call to the recording automation, and notes what the window shows each time a Word
// instance is created: a restyle creates its own instance right before it opens its document.
class WatchedAutomation final : public platform::Automation {
public:
    explicit WatchedAutomation(fakes::RecordingAutomation& recording) : m_recording(recording) {}

    platform::ObjectRef create(std::string_view className) override
    {
        if (onCreate)
            onCreate();
        return m_recording.create(className);
    }
    platform::ObjectRef attach(std::string_view className) override { return m_recording.attach(className); }

    std::function<void()> onCreate;

private:
    fakes::RecordingAutomation& m_recording;
};

// What the window showed when one document's Word instance was created, and what a screen reader then
// read from the progress bar.
struct SeenAtRestyle {
    float progress;
    int pointer;
    QString heardProgress;
};

class ChangeFontTest : public Form1Test {
protected:
    ChangeFontTest()
    {
        m_form = std::make_unique<Form1>(watchedServices, "");
        watched.onCreate = [this] {
            QAccessibleInterface* bar = QAccessible::queryAccessibleInterface(&m_form->progressBar());
            seen.push_back({m_form->progressBar().progress(), m_form->mousePointer(), bar->text(QAccessible::Value)});
        };
    }

    // A file that passes the restyle's content check; the recording automation does the rest.
    std::string document(const std::string& name)
    {
        const std::string path = m_folder.file(name);
        if (!std::filesystem::exists(path))
            testing_support::writeFile(path, std::string("PK\x03\x04", 4) + "not opened for real");
        return path;
    }

    void listRows(const std::vector<std::string>& paths)
    {
        for (const std::string& path : paths)
            m_form->listView().ListItems.Add(path);
    }

    void clickChangeFont() { clickButton(*m_form, "Check7"); }

    // The documents opened, in the order of the run.
    std::vector<std::string> openedPaths() const
    {
        const std::string open = "call Documents.Open(\"";
        std::vector<std::string> paths;
        for (const std::string& line : automation.transcript)
            if (line.starts_with(open))
                paths.push_back(line.substr(open.size(), line.find('"', open.size()) - open.size()));
        return paths;
    }

    WatchedAutomation watched{automation};
    platform::Platform watchedServices{watched, settings, fileSystem, dialogs, shell, windowSystem, random};
    std::vector<SeenAtRestyle> seen;
    std::unique_ptr<Form1> m_form;
    testing_support::TemporaryFolder m_folder;
};

TEST_F(ChangeFontTest, DocumentsAreRestyledInListOrder_ARepeatedPathTwice)
{
    const std::string a = document("a.docx"), b = document("b.docx"), c = document("c.docx");
    listRows({b, a, b, c});
    dialogs.messageAnswers = {platform::MessageAnswer::Ok};

    clickChangeFont();

    EXPECT_THAT(openedPaths(), ElementsAre(b, a, b, c));
    EXPECT_THAT(dialogs.messages, ElementsAre("Done."));
    EXPECT_EQ(automation.liveInstances(), 0);
    EXPECT_EQ(m_form->listView().ListItems.Count(), 4); // the run only reads the list
}

TEST_F(ChangeFontTest, ProgressIsWrittenBeforeEachDocument_UnderTheHourglass)
{
    listRows({document("1.docx"), document("2.docx"), document("3.docx")});
    dialogs.messageAnswers = {platform::MessageAnswer::Ok};

    clickChangeFont();

    const float expected[] = {50.0f, 75.0f, 100.0f};
    const char* const heard[] = {"50%", "75%", "100%"};
    ASSERT_EQ(seen.size(), std::size(expected));
    for (std::size_t i = 0; i < seen.size(); ++i) {
        EXPECT_NEAR(seen[i].progress, expected[i], 0.005f) << "document " << i + 1;
        EXPECT_EQ(seen[i].pointer, Hourglass) << "document " << i + 1;
        EXPECT_EQ(seen[i].heardProgress, heard[i]) << "document " << i + 1;
    }
}

TEST_F(ChangeFontTest, ProgressKeepsTwoDecimals)
{
    listRows({document("1.docx"), document("2.docx")});
    dialogs.messageAnswers = {platform::MessageAnswer::Ok};

    clickChangeFont();

    ASSERT_EQ(seen.size(), 2u);
    EXPECT_NEAR(seen[0].progress, 66.67f, 0.0051f);
}

// The three ways a run ends: each leaves the default pointer and an empty bar.
struct RunEnding {
    const char* name;
    bool listed;
    bool wordRunning;
    platform::MessageAnswer answer;
    const char* lastMessage;
    int documentsOpened;
};

const RunEnding kEndings[] = {
    {"empty list", false, false, platform::MessageAnswer::Ok, "No files added.", 0},
    {"Word running, answered No", true, true, platform::MessageAnswer::No, nullptr, 0},
    {"completed", true, false, platform::MessageAnswer::Ok, "Done.", 2},
};

TEST_F(ChangeFontTest, EveryEnding_LeavesTheDefaultPointerAndAnEmptyBar)
{
    for (const RunEnding& ending : kEndings) {
        SCOPED_TRACE(ending.name);
        automation.transcript.clear();
        dialogs.messages.clear();
        m_form->listView().clear();
        if (ending.listed)
            listRows({document("a.docx"), document("b.docx")});
        automation.running = ending.wordRunning;
        dialogs.messageAnswers = {ending.answer};

        clickChangeFont();

        EXPECT_EQ(openedPaths().size(), static_cast<std::size_t>(ending.documentsOpened));
        ASSERT_EQ(dialogs.messages.size(), 1u);
        if (ending.lastMessage) {
            EXPECT_EQ(dialogs.messages.back(), ending.lastMessage);
        }
        EXPECT_EQ(m_form->mousePointer(), Default);
        EXPECT_EQ(m_form->progressBar().progress(), 0.0f);
        EXPECT_EQ(QGuiApplication::overrideCursor(), nullptr);
    }
}

TEST_F(ChangeFontTest, EmptyList_NeitherStartsNorAsksWord)
{
    dialogs.messageAnswers = {platform::MessageAnswer::Ok};
    automation.transcript.clear();

    clickChangeFont();

    EXPECT_THAT(automation.transcript, ::testing::IsEmpty());
}

TEST_F(ChangeFontTest, FiftyFailures_TheMessageNamesTwenty_AndItsDetailsAllFifty)
{
    std::vector<std::string> missing;
    std::string everyFailure;
    for (int i = 1; i <= 50; ++i) {
        missing.push_back(m_folder.file("missing" + std::to_string(i) + ".docx"));
        everyFailure += (i > 1 ? "\n" : "") + missing.back() + ": the file does not exist";
    }
    listRows(missing);

    clickChangeFont();

    ASSERT_EQ(dialogs.messages.size(), 1u);
    EXPECT_TRUE(dialogs.messages[0].ends_with(missing[19] + ": the file does not exist\r\n... and 30 more."));
    EXPECT_THAT(dialogs.messageDetails, ElementsAre(everyFailure));
}

// A run started from the window while a folder walk yields to it: the walk still owns the hourglass.
TEST_F(ChangeFontTest, RunDuringAFolderWalk_LeavesTheHourglassToTheWalk)
{
    const testing_support::TemporaryFolder tree;
    std::filesystem::create_directory(tree.file("sub"));
    platform::posix::PosixFileSystem posixFiles;
    platform::Platform posixServices{watched, settings, posixFiles, dialogs, shell, windowSystem, random};
    m_form = std::make_unique<Form1>(posixServices, "");
    listRows({document("a.docx")});
    dialogs.inputAnswers = {"doc"};
    dialogs.folderAnswers = {tree.path()};
    dialogs.messageAnswers = {platform::MessageAnswer::Ok};
    std::vector<int> pointerAfterRun;
    windowSystem.onProcessEvents = [&] {
        if (!pointerAfterRun.empty())
            return;
        clickChangeFont();
        pointerAfterRun.push_back(m_form->mousePointer());
    };

    clickButton(*m_form, "Check6");

    EXPECT_THAT(pointerAfterRun, ElementsAre(Hourglass));
    EXPECT_THAT(dialogs.messages, ElementsAre("Done."));
    EXPECT_EQ(m_form->mousePointer(), Default); // the walk gives it back when it ends
}

} // namespace
} // namespace glyphmere::app::testing
