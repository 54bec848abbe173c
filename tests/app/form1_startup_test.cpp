#include "Form1Fixture.h"

#include "doclist/DocumentListView.h"
#include "platform/qt/Twips.h"

#include <QCheckBox>
#include <QHeaderView>
#include <QTreeWidget>

#include <gmock/gmock.h>

namespace glyphmere::app::testing {
namespace {

using ::testing::ElementsAre;
using ::testing::IsEmpty;

const QStringList kSizes = {"8", "9", "10", "11", "12", "14", "16", "18", "20", "22", "24", "28", "36", "48", "72"};

TEST_F(Form1Test, FirstRun_ShowsDefaultsAndStoresNothing)
{
    automation.collections["FontNames"] = {"Calibri", "Cambria"};

    auto form = start();

    EXPECT_EQ(form->windowTitle(), "Glyphmere");
    EXPECT_EQ(entries(control<QComboBox>(*form, "Combo1")),
              QStringList({"Calibri", "Cambria", "Arial", "New Times Roman"}));
    EXPECT_EQ(form->fontName(), "Arial");
    EXPECT_EQ(entries(control<QComboBox>(*form, "Combo2")), kSizes);
    EXPECT_EQ(form->fontSize(), "12");
    EXPECT_EQ(form->headersAndFootersValue(), 1);
    EXPECT_THAT(settings.writes, IsEmpty());
    EXPECT_THAT(automation.transcript,
                ElementsAre("create Word.Application", "enumerate FontNames", "get Documents.Count", "call Quit(0)"));
    EXPECT_EQ(automation.liveInstances(), 0);
}

TEST_F(Form1Test, TheDocumentListGetsItsOneColumn_TipAndFont)
{
    auto form = start();
    auto& list = control<QTreeWidget>(*form, "ListView1");

    EXPECT_EQ(&list, &form->listView());
    EXPECT_EQ(list.columnCount(), 1);
    EXPECT_EQ(list.headerItem()->text(0), "Word File(s)");
    EXPECT_EQ(list.columnWidth(0), platform::qt::twipsToPixels(5500, platform::qt::twipsPerPixel()));
    EXPECT_TRUE(list.toolTip().startsWith("Drag and drop files here. Double-click item to remove it."));
    EXPECT_EQ(list.font().family(), "Arial");
    EXPECT_TRUE(list.font().bold());
    EXPECT_EQ(list.font().pointSizeF(), 9.0);
}

TEST_F(Form1Test, FixedWindowWithTheButtonsSpanningTheListInOneRow)
{
    auto form = start();
    const QRect list = control<QWidget>(*form, "ListView1").geometry();
    const QRect add = control<QWidget>(*form, "Check3").geometry();
    const QRect folder = control<QWidget>(*form, "Check6").geometry();
    const QRect change = control<QWidget>(*form, "Check7").geometry();
    const int gap = platform::qt::twipsToPixels(105, platform::qt::twipsPerPixel());

    EXPECT_EQ(form->minimumSize(), form->maximumSize());
    EXPECT_FALSE(form->windowFlags() & Qt::WindowMaximizeButtonHint);
    EXPECT_TRUE(form->windowFlags() & Qt::WindowMinimizeButtonHint);
    EXPECT_EQ(add.left(), list.left());
    EXPECT_NEAR(change.right(), list.right(), 1);
    EXPECT_NEAR(folder.left() - add.right() - 1, gap, 1);
    EXPECT_NEAR(change.left() - folder.right() - 1, gap, 1);
    EXPECT_EQ(add.top(), change.top());
    EXPECT_LT(control<QWidget>(*form, "Command1").geometry().right(), 0); // wholly outside
}

TEST_F(Form1Test, RestoredValuesWinOverInitialSelections)
{
    settings.preset("Headers and Footers", "0");
    settings.preset("Combo1", "New Times Roman");
    settings.preset("Combo2", "10.5");

    auto form = start();

    EXPECT_EQ(form->fontName(), "New Times Roman");
    EXPECT_EQ(form->fontSize(), "10.5");
    EXPECT_EQ(form->headersAndFootersValue(), 0);
    EXPECT_THAT(settings.writes, IsEmpty());
}

TEST_F(Form1Test, StoredSizeIsShownUncheckedAndFontGoneSinceLastRunFallsBackToArial)
{
    settings.preset("Combo1", "Font Removed Since");
    settings.preset("Combo2", "abc");

    auto form = start();

    EXPECT_EQ(form->fontName(), "Arial");
    EXPECT_EQ(form->fontSize(), "abc");
    EXPECT_THAT(settings.writes, IsEmpty());
}

TEST_F(Form1Test, ArialFromWordStandsTwiceBeforeNewTimesRoman)
{
    automation.collections["FontNames"] = {"Arial", "Verdana"};

    auto form = start();

    EXPECT_EQ(entries(control<QComboBox>(*form, "Combo1")),
              QStringList({"Arial", "Verdana", "Arial", "New Times Roman"}));
    EXPECT_EQ(control<QComboBox>(*form, "Combo1").currentIndex(), 0);
}

TEST_F(Form1Test, WordThatCannotStart_IsExplainedAndTheWindowStillWorks)
{
    automation.failures["create Word.Application"] = "Word is not installed.";
    settings.preset("Combo2", "14");

    auto form = start();

    EXPECT_THAT(dialogs.messages,
                ElementsAre("Word could not be started, so its fonts are not listed.\r\n\r\nWord is not installed."));
    EXPECT_EQ(entries(control<QComboBox>(*form, "Combo1")), QStringList({"Arial", "New Times Roman"}));
    EXPECT_EQ(entries(control<QComboBox>(*form, "Combo2")), kSizes);
    EXPECT_EQ(form->fontSize(), "14");
}

TEST_F(Form1Test, HomePageOpensOnlyWhenTheDrawGivesSeven)
{
    random.numbers = {0.06};
    auto lucky = start("https://glyphmere.example/");
    EXPECT_THAT(shell.opened, ElementsAre("https://glyphmere.example/"));

    random.numbers = {0.07};
    auto unlucky = start("https://glyphmere.example/");
    EXPECT_EQ(shell.opened.size(), 1u);
    EXPECT_EQ(random.seeds, 2);
    EXPECT_EQ(random.draws, 2);
}

TEST_F(Form1Test, CenteredOnTheWholeScreen_LeftIsNegativeOnANarrowScreen)
{
    const double perPixel = platform::qt::twipsPerPixel();
    windowSystem.screen = {300 * perPixel, 2000 * perPixel};

    auto form = start();

    const QRect outer = form->frameGeometry();
    EXPECT_LT(outer.left(), 0);
    EXPECT_NEAR(outer.left(), (300 - outer.width()) / 2.0, 1);
    EXPECT_NEAR(outer.top(), (2000 - outer.height()) / 2.0, 1);
}

TEST_F(Form1Test, Closing_EndsTheProgram)
{
    auto form = start();
    form->show();

    form->close();

    EXPECT_EQ(windowSystem.endCalls, 1);
}

} // namespace
} // namespace glyphmere::app::testing
