#include "ListViewFixture.h"

#include <QAccessible>
#include <QHelpEvent>
#include <QImage>
#include <QToolTip>

namespace glyphmere::doclist {
namespace {

using Texts = std::vector<std::string>;

// The list with the keyboard focus, as after a click into it or a Tab onto it.
class ListKeyboardTest : public ListViewFixture {
protected:
    void focusTheList()
    {
        QApplication::setActiveWindow(&list);
        ASSERT_TRUE(QTest::qWaitForWindowActive(&list));
        list.setFocus(Qt::TabFocusReason);
    }

    void key(Qt::Key key) { QTest::keyClick(&list, key); }

    int currentPosition() { return list.currentIndex().row() + 1; }

    bool wholeRowShown(int position)
    {
        return list.viewport()->rect().contains(list.visualRect(list.model()->index(position - 1, 0)));
    }
};

TEST_F(ListKeyboardTest, Delete_RemovesTheSelectedRowAndNothingElse)
{
    addRows({"/d/a.doc", "/d/b.doc", "/d/c.doc", "/d/b.doc"});
    focusTheList();
    QTest::mouseClick(list.viewport(), Qt::LeftButton, Qt::NoModifier, centreOf(2));

    key(Qt::Key_Delete);
    EXPECT_EQ(texts(), (Texts{"/d/a.doc", "/d/c.doc", "/d/b.doc"}));

    list.selectionModel()->clearSelection();
    key(Qt::Key_Delete);
    EXPECT_EQ(texts(), (Texts{"/d/a.doc", "/d/c.doc", "/d/b.doc"}));
}

TEST_F(ListKeyboardTest, MovingKeys_SelectTheNewCurrentRowAndBringItIntoView)
{
    for (int i = 1; i <= 60; ++i)
        list.ListItems.Add("/d/" + std::to_string(i) + ".doc");
    focusTheList();
    const struct {
        Qt::Key key;
        int current;
    } steps[] = {{Qt::Key_End, 60}, {Qt::Key_Up, 59}, {Qt::Key_Home, 1}, {Qt::Key_Down, 2}, {Qt::Key_End, 60}};

    for (const auto& step : steps) {
        key(step.key);
        SCOPED_TRACE(QTest::toString(step.key));
        EXPECT_EQ(currentPosition(), step.current);
        EXPECT_EQ(selectedPosition(), step.current);
        EXPECT_TRUE(wholeRowShown(step.current));
    }
}

TEST_F(ListKeyboardTest, TheFocusedListOutlinesItsCurrentRowAndNothingElse)
{
    addRows({"/d/a.doc", "/d/b.doc", "/d/c.doc"});
    focusTheList(); // the top row becomes current, and nothing is selected
    ASSERT_EQ(currentPosition(), 1);
    ASSERT_EQ(selectedPosition(), 0);
    const QImage focused = list.viewport()->grab().toImage();
    list.clearFocus();
    const QImage unfocused = list.viewport()->grab().toImage();

    const QRect row = list.visualRect(list.model()->index(0, 0));
    for (int y = 0; y < focused.height(); ++y)
        for (int x = 0; x < focused.width(); ++x) {
            if (focused.pixel(x, y) != unfocused.pixel(x, y)) {
                EXPECT_TRUE(row.contains(x, y)) << x << "," << y;
            }
        }
    // The outline is drawn in the text's colour, unlike anything the style draws for a focused row.
    const auto outlineDots = [&](const QImage& image) {
        int dots = 0;
        for (int x = row.left(); x <= row.right(); ++x)
            dots += image.pixelColor(x, row.top()) == list.palette().color(QPalette::Text) ? 1 : 0;
        return dots;
    };
    EXPECT_GT(outlineDots(focused), row.width() / 4);
    EXPECT_EQ(outlineDots(unfocused), 0);
}

TEST_F(ListKeyboardTest, EachRowsTooltipIsItsWholePath_AlsoAfterReordering)
{
    const std::string longPath = "/home/ann/" + std::string(200, 'x') + "/report.docx";
    addRows({"/d/a.doc", longPath});
    press(centreOf(2));
    moveHeld(centreOf(1));
    release(centreOf(1));

    for (const auto& [position, path] : {std::pair{1, longPath}, std::pair{2, std::string("/d/a.doc")}}) {
        QHelpEvent help(QEvent::ToolTip, centreOf(position), list.viewport()->mapToGlobal(centreOf(position)));
        QApplication::sendEvent(list.viewport(), &help);
        EXPECT_EQ(QToolTip::text().toStdString(), path);
    }
}

TEST_F(ListKeyboardTest, AScreenReaderHearsThePurposeAndTheNumberOfRows)
{
    addRows({"/d/a.doc", "/d/b.doc", "/d/c.doc"});
    QAccessibleInterface* shown = QAccessible::queryAccessibleInterface(&list);
    ASSERT_NE(shown, nullptr);
    EXPECT_EQ(shown->text(QAccessible::Name), "Word files to change");
    EXPECT_TRUE(shown->text(QAccessible::Description).startsWith("3 files listed."))
        << shown->text(QAccessible::Description).toStdString();

    list.ListItems.Remove(1);
    list.ListItems.Remove(1);
    EXPECT_TRUE(shown->text(QAccessible::Description).startsWith("1 file listed."));
}

} // namespace
} // namespace glyphmere::doclist
