#include "platform/qt/QtDialogs.h"

#include "support/TestDocuments.h"

#include <QAccessible>
#include <QApplication>
#include <QClipboard>
#include <QComboBox>
#include <QFileDialog>
#include <QGuiApplication>
#include <QListView>
#include <QMessageBox>
#include <QPushButton>
#include <QTest>
#include <QTextEdit>

#include <gmock/gmock.h>

namespace glyphmere::platform::qt {
namespace {

using ::testing::UnorderedElementsAre;

// Picks the file type a key press away in the dialog's own list of types, as a person does, and gives the
// names that the dialog then lists in its folder.
QStringList namesListedAfter(QFileDialog& dialog, Qt::Key key, int expectedCount)
{
    auto* types = dialog.findChild<QComboBox*>(QStringLiteral("fileTypeCombo"));
    QTest::keyClick(types, key);
    const auto* view = dialog.findChild<QListView*>(QStringLiteral("listView"));
    QStringList names;
    // The dialog reads the folder and filters it in the background.
    const bool settled = QTest::qWaitFor([&] {
        names.clear();
        for (int row = 0; row < view->model()->rowCount(view->rootIndex()); ++row)
            names << view->model()->index(row, 0, view->rootIndex()).data().toString();
        return names.size() == expectedCount;
    });
    EXPECT_TRUE(settled) << types->currentText().toStdString() << ": " << names.join(' ').toStdString();
    return names;
}

TEST(QtDialogs, OpenFilesDialogShowsTheLabels_AndAllFilesListsNamesWithoutADot)
{
    const testing_support::TemporaryFolder folder;
    for (const char* name : {"README", "report.docx", "notes.txt"})
        testing_support::writeFile(folder.file(name), "x");
    const auto dialog = buildOpenFilesDialog(nullptr, "Add", "Word Documents (*.do*)|*.do*|All Files (*.*)|*.*");
    dialog->setOption(QFileDialog::DontUseNativeDialog);
    dialog->setDirectory(QString::fromStdString(folder.path()));
    dialog->show();

    const auto* types = dialog->findChild<QComboBox*>(QStringLiteral("fileTypeCombo"));
    ASSERT_NE(types, nullptr);
    ASSERT_EQ(types->count(), 2);
    EXPECT_EQ(types->itemText(0), "Word Documents (*.do*)");
    EXPECT_EQ(types->itemText(1), "All Files (*.*)");
    EXPECT_THAT(namesListedAfter(*dialog, Qt::Key_Down, 3), UnorderedElementsAre("README", "report.docx", "notes.txt"));
    EXPECT_EQ(types->currentText(), "All Files (*.*)");
    EXPECT_THAT(namesListedAfter(*dialog, Qt::Key_Up, 1), UnorderedElementsAre("report.docx"));
}

TEST(QtDialogs, MessageWithDetails_KeepsItsText_AndOffersEveryLineToSelectAndCopy)
{
    std::string details;
    for (int i = 1; i <= 50; ++i)
        details += (i > 1 ? "\n" : "") + std::string("/d/") + std::to_string(i) + ".docx: reason";
    const auto box =
        buildMessageBox(nullptr, "Done.\r\n\r\n50 of 50 documents could not be changed:", MessageButtons::Ok, details);

    EXPECT_EQ(box->windowTitle(), "Glyphmere");
    EXPECT_EQ(box->text().toStdString(), "Done.\r\n\r\n50 of 50 documents could not be changed:");
    auto* area = box->findChild<QTextEdit*>();
    ASSERT_NE(area, nullptr);
    EXPECT_EQ(area->toPlainText().toStdString(), details);
    EXPECT_TRUE(area->focusPolicy() & Qt::TabFocus);
    EXPECT_TRUE(area->textInteractionFlags() & Qt::TextSelectableByKeyboard);
    box->show();
    QApplication::setActiveWindow(box.get());
    ASSERT_TRUE(QTest::qWaitForWindowActive(box.get()));
    QTest::keySequence(box.get(), QKeySequence::Copy);
    EXPECT_EQ(QGuiApplication::clipboard()->text().toStdString(), box->text().toStdString() + "\n" + details);
    for (QAbstractButton* button : box->buttons())
        if (box->buttonRole(button) == QMessageBox::ActionRole)
            QTest::keyClick(button, Qt::Key_Space); // "Show Details..."
    ASSERT_TRUE(area->isVisible());
    area->setFocus(Qt::TabFocusReason);
    QTest::keyClick(area, Qt::Key_End, Qt::ControlModifier | Qt::ShiftModifier); // selects to the end
    QTest::keySequence(area, QKeySequence::Copy);
    EXPECT_EQ(QGuiApplication::clipboard()->text().toStdString(), details);

    QAccessibleInterface* shown = QAccessible::queryAccessibleInterface(box.get());
    ASSERT_NE(shown, nullptr);
    EXPECT_THAT(shown->role(), ::testing::AnyOf(QAccessible::AlertMessage, QAccessible::Dialog));
    EXPECT_EQ(shown->text(QAccessible::Name), "Glyphmere");
}

TEST(QtDialogs, MessageWithoutDetails_HasNoDetailsArea_AndCtrlCCopiesItsText)
{
    const auto box = buildMessageBox(nullptr, "Done.", MessageButtons::Ok);
    QGuiApplication::clipboard()->clear();
    box->show();
    QApplication::setActiveWindow(box.get());
    ASSERT_TRUE(QTest::qWaitForWindowActive(box.get()));

    QTest::keySequence(box.get(), QKeySequence::Copy);

    EXPECT_EQ(QGuiApplication::clipboard()->text(), "Done.");
    EXPECT_EQ(box->findChild<QTextEdit*>(), nullptr);
    EXPECT_EQ(box->buttons().size(), 1);
}

} // namespace
} // namespace glyphmere::platform::qt
