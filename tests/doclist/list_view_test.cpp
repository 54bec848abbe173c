#include "ListViewFixture.h"

#include "doclist/EdgeScroll.h"
#include "support/TestDocuments.h"

#include <QImage>
#include <QScrollBar>

namespace glyphmere::doclist {
namespace {

using Texts = std::vector<std::string>;
namespace MousePointer = platform::MousePointer;

class ReorderTest : public ListViewFixture {
protected:
    void SetUp() override { addRows({"/d/1.doc", "/d/2.doc", "/d/3.doc", "/d/4.doc", "/d/5.doc"}); }
};

TEST_F(ReorderTest, SteadyDrag_CarriesTheRowAlong)
{
    press(centreOf(2));
    moveHeld(centreOf(2));
    moveHeld(centreOf(3));
    moveHeld(centreOf(4));
    release(centreOf(4));

    EXPECT_EQ(texts(), (Texts{"/d/1.doc", "/d/3.doc", "/d/4.doc", "/d/2.doc", "/d/5.doc"}));
    EXPECT_EQ(selectedPosition(), 4);
    EXPECT_EQ(draggedPosition(), 4);
    EXPECT_FALSE(list.ButtonHeld());
}

TEST_F(ReorderTest, JumpOverRows_ExchangesOnlyTheTwoRows)
{
    press(centreOf(2));
    moveHeld(centreOf(5));

    EXPECT_EQ(texts(), (Texts{"/d/1.doc", "/d/5.doc", "/d/3.doc", "/d/4.doc", "/d/2.doc"}));
    EXPECT_EQ(selectedPosition(), 5);
}

TEST_F(ReorderTest, RightButtonDrag_ReordersAsTheLeftDoes)
{
    press(centreOf(2), Qt::RightButton);
    moveHeld(centreOf(3), Qt::RightButton);
    release(centreOf(3), Qt::RightButton);

    EXPECT_EQ(texts(), (Texts{"/d/1.doc", "/d/3.doc", "/d/2.doc", "/d/4.doc", "/d/5.doc"}));
}

TEST_F(ReorderTest, PressAndMovesBeforeAnyItemClick_ChangeNothing)
{
    press(belowTheRows());
    moveHeld(centreOf(2));
    moveHeld(centreOf(4));

    EXPECT_EQ(texts(), (Texts{"/d/1.doc", "/d/2.doc", "/d/3.doc", "/d/4.doc", "/d/5.doc"}));
    EXPECT_EQ(selectedPosition(), 0);
}

TEST_F(ReorderTest, MovesWithoutAButtonHeld_ChangeNothing)
{
    press(centreOf(2));
    release(centreOf(2));
    moveFree(centreOf(4));

    EXPECT_EQ(texts()[1], "/d/2.doc");
    EXPECT_EQ(selectedPosition(), 2);
}

TEST_F(ReorderTest, ReleasedDrag_ResumesFromEmptySpace)
{
    press(centreOf(2));
    moveHeld(centreOf(3));
    release(centreOf(3));
    press(belowTheRows());
    moveHeld(centreOf(4));

    EXPECT_EQ(texts(), (Texts{"/d/1.doc", "/d/3.doc", "/d/4.doc", "/d/2.doc", "/d/5.doc"}));
}

TEST_F(ReorderTest, DuplicatePathUnderThePointer_DoesNothing)
{
    list.ListItems(3).setText("/d/2.doc");
    press(centreOf(2));
    moveHeld(centreOf(3));

    EXPECT_EQ(texts(), (Texts{"/d/1.doc", "/d/2.doc", "/d/2.doc", "/d/4.doc", "/d/5.doc"}));
    EXPECT_EQ(selectedPosition(), 2);
    EXPECT_EQ(draggedPosition(), 2);
}

TEST_F(ReorderTest, DoubleClick_RemovesExactlyTheClickedRow)
{
    QTest::mouseDClick(list.viewport(), Qt::LeftButton, Qt::NoModifier, centreOf(3));

    EXPECT_EQ(texts(), (Texts{"/d/1.doc", "/d/2.doc", "/d/4.doc", "/d/5.doc"}));
}

TEST_F(ReorderTest, DoubleClickWithAnotherButton_RemovesNothing)
{
    for (const Qt::MouseButton button : {Qt::RightButton, Qt::MiddleButton}) {
        QTest::mouseDClick(list.viewport(), button, Qt::NoModifier, centreOf(3));
    }

    EXPECT_EQ(list.ListItems.Count(), 5);
}

TEST_F(ReorderTest, DoubleClickOnEmptySpaceWithNoSelection_RemovesNothing)
{
    QTest::mouseDClick(list.viewport(), Qt::LeftButton, Qt::NoModifier, belowTheRows());

    EXPECT_EQ(list.ListItems.Count(), 5);
}

TEST_F(ReorderTest, RemovedDraggedRow_CountsAsNone)
{
    press(centreOf(2));
    release(centreOf(2));
    list.ListItems.Remove(2);
    press(belowTheRows());
    moveHeld(centreOf(3));

    EXPECT_EQ(texts(), (Texts{"/d/1.doc", "/d/3.doc", "/d/4.doc", "/d/5.doc"}));
}

TEST_F(ReorderTest, PointerSettings_FollowTheGesture)
{
    windowPointer.setting = MousePointer::Custom;
    moveFree(centreOf(1));
    EXPECT_EQ(windowPointer.setting, MousePointer::Default);

    press(centreOf(2));
    EXPECT_EQ(list.MousePointer(), MousePointer::Custom);
    release(centreOf(2));
    EXPECT_EQ(list.MousePointer(), MousePointer::Arrow);
    EXPECT_EQ(list.viewport()->cursor().shape(), Qt::ArrowCursor);
}

TEST_F(ReorderTest, WindowHourglass_StaysAndShowsOverTheList)
{
    windowPointer.setting = MousePointer::Hourglass;
    press(centreOf(2));
    moveHeld(centreOf(3));

    EXPECT_TRUE(windowPointer.history.empty());
    EXPECT_EQ(list.viewport()->cursor().shape(), Qt::WaitCursor);
}

TEST(DragImage, ItemClick_ShowsTheDragImageWhenTheFileExists)
{
    testing_support::TemporaryFolder folder;
    QImage image(16, 16, QImage::Format_ARGB32);
    image.fill(Qt::red);
    ASSERT_TRUE(image.save(QString::fromStdString(folder.file("drag.ico")), "ICO"));
    fakes::FakePointer windowPointer;
    platform::posix::PosixFileSystem fileSystem;
    DocumentListView list(windowPointer, fileSystem, folder.path());
    list.ListItems.Add("/d/1.doc");
    list.show();

    QTest::mousePress(list.viewport(), Qt::LeftButton, Qt::NoModifier,
                      list.visualItemRect(list.topLevelItem(0)).center());

    EXPECT_EQ(list.viewport()->cursor().shape(), Qt::BitmapCursor);
}

class EdgeScrollTest : public ListViewFixture {
protected:
    void SetUp() override
    {
        for (int i = 1; i <= 60; ++i)
            addRows({"/d/" + std::to_string(i) + ".doc"});
        list.resize(300, 160);
        list.scrollToItem(list.topLevelItem(19), QAbstractItemView::PositionAtTop);
        QApplication::processEvents();
        rowHeight = list.visualRect(list.model()->index(0, 0)).height();
        startValue = list.verticalScrollBar()->value();
    }

    int positionAt(int y) { return list.HitTest(20, static_cast<float>(y))->Index(); }

    // Drags the row below (or above) the one at y onto it.
    void exchangeOnto(int y, int from)
    {
        press(centreOf(from));
        moveHeld(QPoint(20, y));
        release(QPoint(20, y));
    }

    int rowHeight = 0;
    int startValue = 0;
};

TEST_F(EdgeScrollTest, ExchangeNearTheTopEdge_BringsTheRowAboveIntoView)
{
    const int y = rowHeight / 2;
    const int h = positionAt(y);
    exchangeOnto(y, h + 1);
    EXPECT_EQ(list.ListItems(h).Text(), "/d/" + std::to_string(h + 1) + ".doc");
    EXPECT_LT(list.verticalScrollBar()->value(), startValue);
}

TEST_F(EdgeScrollTest, ExchangeNearTheBottomEdge_BringsTheRowBelowIntoView)
{
    const int y = list.viewport()->height() - rowHeight / 2;
    const int h = positionAt(y);
    exchangeOnto(y, h - 1);
    EXPECT_GT(list.verticalScrollBar()->value(), startValue);
}

TEST_F(EdgeScrollTest, ExchangeInBetween_DoesNotScroll)
{
    const int y = list.viewport()->height() / 2;
    const int h = positionAt(y);
    exchangeOnto(y, h + 1);
    EXPECT_EQ(list.ListItems(h).Text(), "/d/" + std::to_string(h + 1) + ".doc");
    EXPECT_EQ(list.verticalScrollBar()->value(), startValue);
}

struct EdgeCase {
    int pointerY;
    int rowUnderPointer;
    int rowCount;
    std::optional<int> scrollTo;
};

void PrintTo(const EdgeCase& c, std::ostream* out)
{
    *out << "y " << c.pointerY << " over row " << c.rowUnderPointer << " of " << c.rowCount;
}

class EdgeScrollRowTest : public ::testing::TestWithParam<EdgeCase> {};

TEST_P(EdgeScrollRowTest, ScrollsOnlyWithinOneRowOfAnEdge)
{
    const EdgeCase& c = GetParam();
    EXPECT_EQ(edgeScrollRow(c.pointerY, 200, 20, c.rowUnderPointer, c.rowCount), c.scrollTo) << c.pointerY;
}

INSTANTIATE_TEST_SUITE_P(Table, EdgeScrollRowTest,
                         ::testing::Values(EdgeCase{0, 3, 10, 2}, EdgeCase{19, 3, 10, 2}, EdgeCase{19, 1, 10, {}},
                                           EdgeCase{20, 3, 10, {}}, EdgeCase{180, 3, 10, {}}, EdgeCase{181, 3, 10, 4},
                                           EdgeCase{199, 9, 10, 10}, EdgeCase{199, 10, 10, {}}));

} // namespace
} // namespace glyphmere::doclist
