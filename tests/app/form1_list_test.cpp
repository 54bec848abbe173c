#include "Form1Fixture.h"

#include "doclist/DocumentListView.h"
#include "platform/posix/PosixFileSystem.h"
#include "support/TestDocuments.h"

#include <QDropEvent>
#include <QMimeData>
#include <QMouseEvent>
#include <QTest>
#include <QUrl>

#include <gmock/gmock.h>

#include <filesystem>

namespace glyphmere::app::testing {
namespace {

using platform::MousePointer::Default;
using platform::MousePointer::Hourglass;
using ::testing::ElementsAre;
using Texts = std::vector<std::string>;

// The window's document list, filled and read as a person does it: drops, the two adding buttons and
// the list's own clicks.
class WindowListTest : public Form1Test {
protected:
    WindowListTest()
    {
        m_form = std::make_unique<Form1>(posixServices, "");
        m_form->show();
        EXPECT_TRUE(QTest::qWaitForWindowExposed(m_form.get()));
    }

    doclist::DocumentListView& list() { return m_form->listView(); }
    QWidget& rows() { return *list().viewport(); }

    Texts texts()
    {
        Texts result;
        for (int i = 1; i <= list().ListItems.Count(); ++i)
            result.push_back(list().ListItems(i).Text());
        return result;
    }

    QPoint centreOfRow(int position) { return list().visualRect(list().model()->index(position - 1, 0)).center(); }

    // Drags local files onto the list's top row and drops them there; true when the list took them.
    bool drop(const Texts& paths)
    {
        QMimeData data;
        QList<QUrl> urls;
        for (const std::string& path : paths)
            urls.append(QUrl::fromLocalFile(QString::fromStdString(path)));
        data.setUrls(urls);
        const Qt::DropActions offered = Qt::CopyAction | Qt::MoveAction;
        QDragEnterEvent enter(centreOfRow(1), offered, &data, Qt::LeftButton, Qt::NoModifier);
        QApplication::sendEvent(&rows(), &enter);
        QDropEvent drop(QPointF(centreOfRow(1)), offered, &data, Qt::LeftButton, Qt::NoModifier);
        QApplication::sendEvent(&rows(), &drop);
        return enter.isAccepted() && drop.isAccepted() && drop.dropAction() == Qt::CopyAction;
    }

    void click(const char* button) { clickButton(*m_form, button); }

    void moveOverTheList()
    {
        const QPoint at = rows().rect().center();
        QMouseEvent move(QEvent::MouseMove, at, rows().mapToGlobal(at), Qt::NoButton, Qt::NoButton, Qt::NoModifier);
        QApplication::sendEvent(&rows(), &move);
    }

    platform::posix::PosixFileSystem posixFiles;
    platform::Platform posixServices{automation, settings, posixFiles, dialogs, shell, windowSystem, random};
    std::unique_ptr<Form1> m_form;
};

TEST_F(WindowListTest, DroppedFilesFollowTheRowsThere_UntilARowIsClicked)
{
    list().ListItems.Add("/d/X.docx");

    EXPECT_TRUE(drop({"/d/A.docx", "/e/B.doc", "/d/C.txt"}));
    EXPECT_EQ(texts(), (Texts{"/d/X.docx", "/d/A.docx", "/e/B.doc", "/d/C.txt"}));

    QTest::mouseClick(&rows(), Qt::LeftButton, Qt::NoModifier, centreOfRow(1));
    EXPECT_FALSE(drop({"/d/D.docx"}));
    EXPECT_EQ(texts(), (Texts{"/d/X.docx", "/d/A.docx", "/e/B.doc", "/d/C.txt"}));
}

TEST_F(WindowListTest, AddWordFiles_AppendsTheChosenFilesInTheDialogsOrder)
{
    list().ListItems.Add("/d/X.docx");
    dialogs.openFilesAnswers = {{"/e/b.docx", "/d/a.doc", "/d/X.docx"}, {}};

    click("Check3");
    click("Check3"); // cancelled

    EXPECT_EQ(texts(), (Texts{"/d/X.docx", "/e/b.docx", "/d/a.doc", "/d/X.docx"}));
    EXPECT_THAT(dialogs.log, ElementsAre("openFiles: Add File(s) - Hold Ctrl to select multiple files | "
                                         "Word Documents (*.do*)|*.do*|All Files (*.*)|*.*",
                                         "openFiles: Add File(s) - Hold Ctrl to select multiple files | "
                                         "Word Documents (*.do*)|*.do*|All Files (*.*)|*.*"));
}

TEST_F(WindowListTest, AddFolder_AppendsTheMatchingFilesOfTheWholeTree)
{
    const testing_support::TemporaryFolder tree;
    namespace fs = std::filesystem;
    fs::create_directories(tree.file("A/X"));
    fs::create_directories(tree.file("B"));
    for (const char* name : {"r1.doc", "~$r1.doc", "notes.txt", "A/a1.DOC", "A/X/x1.docx", "B/b1.doc"})
        testing_support::writeFile(tree.file(name), "x");
    list().ListItems.Add("/d/X.docx");
    dialogs.inputAnswers = {"doc"};
    dialogs.folderAnswers = {tree.path()};

    click("Check6");

    EXPECT_EQ(texts(), (Texts{"/d/X.docx", tree.file("r1.doc"), tree.file("A/a1.DOC"), tree.file("B/b1.doc"),
                              tree.file("A/X/x1.docx")}));
    EXPECT_EQ(m_form->mousePointer(), Default);
}

TEST_F(WindowListTest, WhileAFolderIsWalked_TheListShowsTheHourglass)
{
    const testing_support::TemporaryFolder tree;
    std::filesystem::create_directory(tree.file("sub"));
    dialogs.inputAnswers = {"doc"};
    dialogs.folderAnswers = {tree.path()};
    std::vector<int> windowPointers;
    std::vector<Qt::CursorShape> listPointers;
    windowSystem.onProcessEvents = [&] {
        moveOverTheList();
        windowPointers.push_back(m_form->mousePointer());
        listPointers.push_back(rows().cursor().shape());
    };

    click("Check6");

    ASSERT_FALSE(windowPointers.empty());
    for (std::size_t i = 0; i < windowPointers.size(); ++i) {
        EXPECT_EQ(windowPointers[i], Hourglass);
        EXPECT_EQ(listPointers[i], Qt::WaitCursor);
    }
    EXPECT_NE(rows().cursor().shape(), Qt::WaitCursor);
}

TEST_F(WindowListTest, TheListFollowsTheWindowsHourglassBothWays)
{
    m_form->setMousePointer(Hourglass);
    EXPECT_EQ(rows().cursor().shape(), Qt::WaitCursor);

    m_form->setMousePointer(Default);
    EXPECT_EQ(rows().cursor().shape(), Qt::ArrowCursor);
}

} // namespace
} // namespace glyphmere::app::testing
