#include "word/WordContract.h"

#include "fakes/FakeDialogs.h"
#include "fakes/RecordingAutomation.h"
#include "platform/AutomationError.h"

#include <gmock/gmock.h>
#include <gtest/gtest.h>

namespace glyphmere::word {
namespace {

using fakes::FakeDialogs;
using fakes::RecordingAutomation;
using platform::MessageAnswer;
using testing::ElementsAre;
using testing::IsEmpty;

class ListedItems final : public ItemList {
public:
    void addItem(const std::string& text) override { items.push_back(text); }
    std::vector<std::string> items;
};

constexpr const char* kWarning = "Word may be open. It is recommended that you close Word first.\r\n\r\n"
                                 "Would you like to proceed anyway?";

TEST(LoadFontNames, AppendsWordsNamesAfterExistingEntriesAndEndsItsInstance)
{
    RecordingAutomation word;
    word.collections["FontNames"] = {"Calibri", "Arial", "Calibri"};
    ListedItems box;
    box.items = {"Already there"};

    LoadFontNames(word, box);

    EXPECT_THAT(box.items, ElementsAre("Already there", "Calibri", "Arial", "Calibri"));
    EXPECT_THAT(word.transcript,
                ElementsAre("create Word.Application", "enumerate FontNames", "get Documents.Count", "call Quit(0)"));
    EXPECT_EQ(word.liveInstances(), 0);
}

TEST(LoadFontNames, DocumentOfTheUsersInItsInstance_IsLeftRunningAndShown)
{
    RecordingAutomation word;
    word.collections["FontNames"] = {"Arial"};
    word.foreignDocuments = 1;
    ListedItems box;

    LoadFontNames(word, box);

    EXPECT_THAT(box.items, ElementsAre("Arial"));
    EXPECT_THAT(word.transcript, ElementsAre("create Word.Application", "enumerate FontNames", "get Documents.Count",
                                             "put Visible = True"));
    EXPECT_EQ(word.liveInstances(), 1);
}

TEST(LoadFontNames, NoFontsStillEndsTheInstance)
{
    RecordingAutomation word;
    ListedItems box;

    LoadFontNames(word, box);

    EXPECT_THAT(box.items, IsEmpty());
    EXPECT_EQ(word.createdInstances(), 1);
    EXPECT_EQ(word.liveInstances(), 0);
}

TEST(LoadFontNames, FailingFontReadEndsTheInstanceAndReportsTheFailure)
{
    RecordingAutomation word;
    word.failures["enumerate FontNames"] = "the font list is not available";
    ListedItems box;
    box.items = {"Kept"};

    EXPECT_THROW(
        {
            try {
                LoadFontNames(word, box);
            } catch (const platform::AutomationError& error) {
                EXPECT_STREQ(error.what(), "the font list is not available");
                throw;
            }
        },
        platform::AutomationError);
    EXPECT_EQ(word.liveInstances(), 0);
    EXPECT_THAT(box.items, ElementsAre("Kept"));
}

TEST(LoadFontNames, WordThatCannotStartIsReported)
{
    RecordingAutomation word;
    word.failures["create Word.Application"] = "Word is not installed";
    ListedItems box;

    EXPECT_THROW(LoadFontNames(word, box), platform::AutomationError);
    EXPECT_THAT(box.items, IsEmpty());
}

struct RunningCase {
    bool running;
    const char* defaultValue;
    bool expected;
};

class IsWordRunningTest : public testing::TestWithParam<RunningCase> {};

TEST_P(IsWordRunningTest, OnlyAnInstanceNamedExactlyMicrosoftWordCounts)
{
    RecordingAutomation word;
    word.running = GetParam().running;
    word.runningDefaultValue = GetParam().defaultValue;

    EXPECT_EQ(IsWordRunning(word), GetParam().expected);
    EXPECT_EQ(word.createdInstances(), 0); // it only attaches, never starts Word
}

INSTANTIATE_TEST_SUITE_P(Cases, IsWordRunningTest,
                         testing::Values(RunningCase{false, "Microsoft Word", false},
                                         RunningCase{true, "Microsoft Word", true},
                                         RunningCase{true, "microsoft word", false},
                                         RunningCase{true, "Microsoft Word ", false},
                                         RunningCase{true, "Other Writer", false}));

TEST(IsWordRunning, FailingNameReadCountsAsNotRunning)
{
    RecordingAutomation word;
    word.running = true;
    word.failures["default "] = "the server is busy";

    EXPECT_FALSE(IsWordRunning(word));
}

TEST(WarnIfWordOpen, NoWordRunningGoesOnWithoutAsking)
{
    RecordingAutomation word;
    FakeDialogs dialogs;

    EXPECT_FALSE(WarnIfWordOpen(word, dialogs));
    EXPECT_THAT(dialogs.log, IsEmpty());
}

TEST(WarnIfWordOpen, RunningWordAsksAndTheAnswerDecides)
{
    for (const auto& [answer, abandon] : {std::pair{MessageAnswer::Yes, false}, std::pair{MessageAnswer::No, true}}) {
        RecordingAutomation word;
        word.running = true;
        FakeDialogs dialogs;
        dialogs.messageAnswers = {answer};

        EXPECT_EQ(WarnIfWordOpen(word, dialogs), abandon);
        EXPECT_THAT(dialogs.log, ElementsAre(std::string("message[YesNo]: ") + kWarning));
    }
}

} // namespace
} // namespace glyphmere::word
