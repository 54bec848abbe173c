#include "ListViewFixture.h"

#include <QAccessible>
#include <QHelpEvent>
#include <QToolTip>

namespace glyphmere::doclist {
namespace {

using Texts = std::vector<std::string>;

// The list with the keyboard focus, as after a Tab onto it.
class ListKeyboardTest : public ListViewFixture {
protected:
    void focusTheList()
    {
        QApplication::setActiveWindow(&list);
        ASSERT_TRUE(QTest::qWaitForWindowActive(&list));
        list.setFocus(Qt::TabFocusReason);
    }
};

TEST_F(ListKeyboardTest, Delete_RemovesTheSelectedRowAndNothingElse)
{
    addRows({"/d/a.doc", "/d/b.doc", "/d/c.doc", "/d/b.doc"});
    focusTheList();
    QTest::mouseClick(list.viewport(), Qt::LeftButton, Qt::NoModifier, centreOf(2));

    QTest::keyClick(&list, Qt::Key_Delete);
    EXPECT_EQ(texts(), (Texts{"/d/a.doc", "/d/c.doc", "/d/b.doc"}));

    list.selectionModel()->clearSelection();
    QTest::keyClick(&list, Qt::Key_Delete);
    EXPECT_EQ(texts(), (Texts{"/d/a.doc", "/d/c.doc", "/d/b.doc"}));
}

TEST_F(ListKeyboardTest, MovingKeys_SelectTheNewCurrentRowAndBringItIntoView)
{
    for (int i = 1; i <= 60; ++i)
        list.ListItems.Add("/d/" + std::to_string(i) + ".doc");
    focusTheList();
    const std::pair<Qt::Key, int> steps[] = {{Qt::Key_End, 60}, {Qt::Key_Up, 59}, {Qt::Key_Home, 1}, {Qt::Key_End, 60}};
    for (const auto& [key, position] : steps) {
        QTest::keyClick(&list, key);
        EXPECT_EQ(selectedPosition(), position);
        EXPECT_TRUE(list.viewport()->rect().contains(list.visualRect(list.model()->index(position - 1, 0))))
            << position;
    }
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
    QAccessibleInterface* heard = QAccessible::queryAccessibleInterface(&list);
    EXPECT_EQ(heard->text(QAccessible::Name), "Word files to change");
    EXPECT_TRUE(heard->text(QAccessible::Description).startsWith("3 files listed."));

    list.ListItems.Remove(1);
    list.ListItems.Remove(1);
    EXPECT_TRUE(heard->text(QAccessible::Description).startsWith("1 file listed."));
}

} // namespace
} // namespace glyphmere::doclist
