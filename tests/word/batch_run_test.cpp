#include "word/BatchRun.h"

#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include <cstdio>
#include <map>
#include <new>

namespace glyphmere::word {
namespace {

using ::testing::ElementsAre;
using ::testing::ElementsAreArray;
using Events = std::vector<std::string>;

std::string twoDecimals(double value)
{
    char text[32];
    std::snprintf(text, sizeof text, "%.2f", value);
    return text;
}

// The window as the run sees it: rows, bar, pointer and message boxes, all writing to one event log, so
// one assertion shows the order of everything the user sees.
class RecordedWindow final : public DocumentRows,
                             public ProgressBar,
                             public platform::PointerSetting,
                             public platform::Dialogs {
public:
    int count() const override { return static_cast<int>(rows.size()); }
    std::string text(int index) const override { return rows.at(static_cast<std::size_t>(index - 1)); }

    void setProgress(float percent) override
    {
        progress = percent;
        events.push_back("progress " + twoDecimals(percent));
    }

    int mousePointer() const override { return pointer; }
    void setMousePointer(int setting) override
    {
        pointer = setting;
        events.push_back("pointer " + std::to_string(setting));
    }

    platform::MessageAnswer messageBox(const std::string& text, platform::MessageButtons buttons) override
    {
        EXPECT_EQ(buttons, platform::MessageButtons::Ok);
        events.push_back("message " + text);
        return platform::MessageAnswer::Ok;
    }
    void messageBoxWithDetails(const std::string& text, const std::string& offered) override
    {
        events.push_back("message " + text);
        details = offered;
    }
    std::string inputBox(const std::string&, const std::string&) override { return unexpected("input box"); }
    std::vector<std::string> openFiles(const std::string&, const std::string&) override
    {
        unexpected("file dialog");
        return {};
    }
    std::string browseForFolder(const std::string&) override { return unexpected("folder browser"); }

    std::vector<std::string> rows;
    float progress = 0;
    int pointer = platform::MousePointer::Default;
    Events events;
    std::string details;

private:
    static std::string unexpected(const char* what)
    {
        ADD_FAILURE() << "the run showed a " << what;
        return {};
    }
};

class BatchRunTest : public ::testing::Test {
protected:
    void run()
    {
        const BatchRunServices services{
            window,
            window,
            window,
            window,
            [this] {
                window.events.push_back("warning");
                return abandonAtWarning;
            },
            [this](const std::string& path) {
                window.events.push_back("restyle " + path);
                if (path == throwingPath)
                    throw std::bad_alloc();
                const auto failure = failures.find(path);
                return failure == failures.end() ? RestyleResult{} : RestyleResult{false, failure->second};
            }};
        runBatch(services);
    }

    RecordedWindow window;
    bool abandonAtWarning = false;
    std::map<std::string, std::string> failures;
    std::string throwingPath;
};

TEST_F(BatchRunTest, EmptyList_ShowsNoFilesMessageWithoutAskingAboutWord)
{
    run();

    EXPECT_THAT(window.events, ElementsAre("pointer 11", "message No files added.", "pointer 0", "progress 0.00"));
}

TEST_F(BatchRunTest, WarningDeclined_ChangesNothingAndShowsNoMessage)
{
    window.rows = {"/d/a.docx"};
    abandonAtWarning = true;

    run();

    EXPECT_THAT(window.events, ElementsAre("pointer 11", "warning", "pointer 0", "progress 0.00"));
}

TEST_F(BatchRunTest, RowsAreRestyledInListOrderAfterOneWarningAndEndWithDone)
{
    window.rows = {"/d/b.docx", "/d/a.docx", "/d/b.docx"};

    run();

    EXPECT_THAT(window.events, ElementsAre("pointer 11", "warning", "progress 50.00", "restyle /d/b.docx",
                                           "progress 75.00", "restyle /d/a.docx", "progress 100.00",
                                           "restyle /d/b.docx", "message Done.", "pointer 0", "progress 0.00"));
    EXPECT_THAT(window.rows, ElementsAre("/d/b.docx", "/d/a.docx", "/d/b.docx"));
}

TEST_F(BatchRunTest, RunEndedByAnException_StillGoesBackToIdle)
{
    window.rows = {"/d/a.docx", "/d/b.docx"};
    throwingPath = "/d/b.docx";

    EXPECT_THROW(run(), std::bad_alloc);

    EXPECT_THAT(window.events, ElementsAre("pointer 11", "warning", "progress 66.67", "restyle /d/a.docx",
                                           "progress 100.00", "restyle /d/b.docx", "pointer 0", "progress 0.00"));
}

TEST(ProgressBefore, FollowsTheShareOfDocumentsStartedPlusOne)
{
    const std::vector<std::vector<std::string>> expected = {
        {"100.00"},
        {"66.67", "100.00"},
        {"50.00", "75.00", "100.00"},
        {"40.00", "60.00", "80.00", "100.00"},
        {"33.33", "50.00", "66.67", "83.33", "100.00"},
    };
    for (std::size_t items = 1; items <= expected.size(); ++items) {
        std::vector<std::string> shown;
        for (int index = 1; index <= static_cast<int>(items); ++index)
            shown.push_back(twoDecimals(progressBefore(index, static_cast<int>(items))));
        EXPECT_THAT(shown, ElementsAreArray(expected[items - 1])) << items << " items";
    }
    EXPECT_EQ(progressBefore(3, 3), 100.0f);
}

TEST_F(BatchRunTest, FailedDocuments_AreNamedAfterTheRunWhichGoesOn)
{
    window.rows = {"/d/a.docx", "/d/b.docx", "/d/c.docx"};
    failures["/d/b.docx"] = "the document is read-only";

    run();

    EXPECT_THAT(window.events,
                ElementsAre("pointer 11", "warning", "progress 50.00", "restyle /d/a.docx", "progress 75.00",
                            "restyle /d/b.docx", "progress 100.00", "restyle /d/c.docx",
                            "message Done.\r\n\r\n1 of 3 documents could not be changed:\r\n"
                            "/d/b.docx: the document is read-only",
                            "pointer 0", "progress 0.00"));
    EXPECT_EQ(window.details, "/d/b.docx: the document is read-only");
}

std::vector<DocumentFailure> numberedFailures(int count)
{
    std::vector<DocumentFailure> failures;
    for (int i = 1; i <= count; ++i)
        failures.push_back({"/d/" + std::to_string(i) + ".docx", "reason " + std::to_string(i)});
    return failures;
}

std::string numberedLines(int first, int last)
{
    std::string lines;
    for (int i = first; i <= last; ++i)
        lines += "\r\n/d/" + std::to_string(i) + ".docx: reason " + std::to_string(i);
    return lines;
}

TEST(ClosingMessage, ListsAtMostTwentyFailures)
{
    const struct {
        int documents;
        int failed;
        std::string expected;
    } cases[] = {
        {0, 0, "Done."},
        {7, 0, "Done."},
        {1, 1, "Done.\r\n\r\n1 of 1 documents could not be changed:" + numberedLines(1, 1)},
        {30, 20, "Done.\r\n\r\n20 of 30 documents could not be changed:" + numberedLines(1, 20)},
        {30, 21,
         "Done.\r\n\r\n21 of 30 documents could not be changed:" + numberedLines(1, 20) + "\r\n... and 1 more."},
        {25, 25,
         "Done.\r\n\r\n25 of 25 documents could not be changed:" + numberedLines(1, 20) + "\r\n... and 5 more."},
    };
    for (const auto& row : cases)
        EXPECT_EQ(closingMessage(row.documents, numberedFailures(row.failed)), row.expected)
            << row.failed << " of " << row.documents;
}

} // namespace
} // namespace glyphmere::word
