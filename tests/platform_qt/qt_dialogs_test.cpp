#include "platform/qt/QtDialogs.h"

#include "support/TestDocuments.h"

#include <QAccessible>
#include <QComboBox>
#include <QFileDialog>
#include <QListView>
#include <QMessageBox>
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

TEST(QtDialogs, MessageWithDetails_HoldsEveryLine_ReachableFromTheKeyboard)
{
    const std::string details = "/d/1.docx: the file is locked\n/d/2.docx: not a Word document";
    const auto box = buildMessageBox(nullptr, "Done.", MessageButtons::Ok, details);

    EXPECT_EQ(box->text(), "Done.");
    auto* area = box->findChild<QTextEdit*>();
    ASSERT_NE(area, nullptr);
    EXPECT_EQ(area->toPlainText().toStdString(), details);
    EXPECT_TRUE(area->focusPolicy() & Qt::TabFocus);
    EXPECT_TRUE(area->textInteractionFlags() & Qt::TextSelectableByKeyboard);
    EXPECT_EQ(QAccessible::queryAccessibleInterface(box.get())->role(), QAccessible::AlertMessage);
}

} // namespace
} // namespace glyphmere::platform::qt
