#include "app/Controls.h"
#include "app/Globals.h"
#include "app/Main.h"
#include "app/OptionSettings.h"
#include "fakes/FakeDialogs.h"
#include "fakes/FakeServices.h"
#include "fakes/FakeSettingsStore.h"

#include <gmock/gmock.h>
#include <gtest/gtest.h>

namespace glyphmere::app {
namespace {

using ::testing::ElementsAre;
using ::testing::IsEmpty;

TEST(HeadersAndFootersValue, StoredTextsReadAsTheCheckBoxValue)
{
    const std::pair<const char*, int> cases[] = {
        {"1", 1},    {"0", 0},     {"-1", 1},    {" 0 ", 0}, {"0.0", 0}, {"2", 1},
        {"True", 1}, {"false", 0}, {"FALSE", 0}, {"", 1},    {"yes", 1}, {"abc", 1},
    };
    for (const auto& [text, value] : cases)
        EXPECT_EQ(headersAndFootersValue(text), value) << '"' << text << '"';
}

struct DrawCase {
    double r;
    const char* address;
    bool opens;
};

TEST(OpenHomePageAtRandom, OpensOnlyWhenTheDrawGivesSevenAndAnAddressIsSet)
{
    const DrawCase cases[] = {
        {0.06, "https://glyphmere.example/", true},    {0.0699, "https://glyphmere.example/", true},
        {0.0599, "https://glyphmere.example/", false}, {0.07, "https://glyphmere.example/", false},
        {0.0, "https://glyphmere.example/", false},    {0.06, "", false},
    };
    for (const DrawCase& draw : cases) {
        fakes::FakeRandom random;
        random.numbers = {draw.r};
        fakes::FakeShell shell;

        Main::OpenHomePageAtRandom(random, shell, draw.address);

        EXPECT_EQ(random.seeds, 1);
        EXPECT_EQ(shell.opened.size(), draw.opens ? 1u : 0u) << draw.r << " " << draw.address;
    }
}

TEST(OptionWriter, EqualValueOfOneChangeIsStoredOnceAndFailuresAreShownOnce)
{
    fakes::FakeSettingsStore store;
    fakes::FakeDialogs dialogs;
    OptionWriter writer(store, dialogs);

    writer.save(kFontSizeKey, "14");
    writer.save(kFontSizeKey, "14");
    store.failWrites = true;
    writer.save(kFontSizeKey, "16");
    writer.save(kFontNameKey, "Arial");

    EXPECT_THAT(store.writes, ElementsAre("Tarnwick/Glyphmere/Combo2=14", "Tarnwick/Glyphmere/Combo2=16",
                                          "Tarnwick/Glyphmere/Combo1=Arial"));
    EXPECT_THAT(dialogs.messages,
                ElementsAre("Glyphmere could not save its settings.\r\n\r\nthe settings file is read-only"));
}

TEST(OptionWriter, FailedWriteIsTriedAgainWhenTheSameValueComesAgain)
{
    fakes::FakeSettingsStore store;
    fakes::FakeDialogs dialogs;
    OptionWriter writer(store, dialogs);

    store.failWrites = true;
    writer.save(kFontSizeKey, "14");
    store.failWrites = false;
    writer.save(kFontSizeKey, "14");
    writer.save(kFontSizeKey, "14");

    EXPECT_EQ(store.valueOf(kFontSizeKey), "14");
    EXPECT_EQ(store.writes.size(), 2u);
}

TEST(ProgressBar, KeepsTwoDecimalsAndStaysWithinItsRange)
{
    ProgressBar bar(nullptr);
    const std::pair<float, float> cases[] = {{100.0f / 3, 33.33f}, {50.0f, 50.0f}, {150.0f, 100.0f}, {-3.0f, 0.0f}};
    for (const auto& [given, shown] : cases) {
        bar.setProgress(given);
        EXPECT_NEAR(bar.progress(), shown, 0.001f) << given;
    }
}

TEST(CenterForm, WindowLargerThanTheScreenStandsPartlyOffIt)
{
    const TwipPoint narrow = CenterForm({4500, 12000}, {6735, 4800});
    EXPECT_DOUBLE_EQ(narrow.left, -1117.5);
    EXPECT_DOUBLE_EQ(narrow.top, 3600);
}

} // namespace
} // namespace glyphmere::app
