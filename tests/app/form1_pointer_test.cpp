#include "Form1Fixture.h"

#include "app/Controls.h"
#include "app/PointerImageFolder.h"
#include "support/TestDocuments.h"

#include <QApplication>
#include <QCheckBox>
#include <QTest>
#include <QWindow>

#include <filesystem>

namespace glyphmere::app::testing {
namespace {

using platform::MousePointer::Custom;
using platform::MousePointer::Default;
using platform::MousePointer::Hourglass;

class PointerTest : public Form1Test {
protected:
    Form1& showWindow()
    {
        m_form = start();
        m_form->show();
        EXPECT_TRUE(QTest::qWaitForWindowExposed(m_form.get()));
        return *m_form;
    }

    // Moves the pointer, with no button held, to a point of the window's client area.
    void moveTo(QPoint windowPoint) { QTest::mouseMove(m_form->windowHandle(), windowPoint); }
    void moveOnto(const char* name, QPoint offset = {})
    {
        QWidget& target = control<QWidget>(*m_form, name);
        moveTo(target.mapTo(m_form.get(), target.rect().center() + offset));
    }
    // The bare surface between "Add Word File(s)" and the next button.
    void moveOntoBareWindow()
    {
        const QRect left = control<QWidget>(*m_form, "Check3").geometry();
        moveTo(QPoint(left.right() + 3, left.center().y()));
    }

    void handInProgramFolder()
    {
        windowSystem.folder = GLYPHMERE_RESOURCES;
        fileSystem.files.insert(GLYPHMERE_RESOURCES "/HAND-M.CUR");
    }

    std::unique_ptr<Form1> m_form;
};

TEST_F(PointerTest, HandOverTheButtons_OrdinaryPointerOverTheBareWindow)
{
    handInProgramFolder();
    Form1& form = showWindow();
    ASSERT_TRUE(form.hasMouseIcon());

    for (const char* button : {"Check3", "Check6", "Check7"}) {
        moveOnto(button);
        EXPECT_EQ(form.mousePointer(), Custom) << button;
        EXPECT_EQ(form.cursor().shape(), Qt::BitmapCursor) << button;
        EXPECT_EQ(form.cursor().hotSpot(), QPoint(7, 1));
        moveOntoBareWindow();
        EXPECT_EQ(form.mousePointer(), Default) << button;
        EXPECT_EQ(form.cursor().shape(), Qt::ArrowCursor);
    }
}

TEST_F(PointerTest, HandStaysOverControlsWithoutPointerOfTheirOwn)
{
    Form1& form = showWindow();
    moveOnto("Check7");

    for (const char* name : {"Check1", "Label2", "Combo2", "ProgressBar1"}) {
        moveOnto(name);
        EXPECT_EQ(form.mousePointer(), Custom) << name;
    }
}

TEST_F(PointerTest, WithoutTheCursorFile_TheButtonsShowTheOrdinaryPointer)
{
    Form1& form = showWindow();
    EXPECT_FALSE(form.hasMouseIcon());

    moveOnto("Check3");

    EXPECT_EQ(form.mousePointer(), Custom);
    EXPECT_EQ(form.cursor().shape(), Qt::ArrowCursor);
}

TEST_F(PointerTest, UnreadableCursorFile_CountsAsMissingWithoutAMessage)
{
    const testing_support::TemporaryFolder folder;
    testing_support::writeFile(folder.file("HAND-M.CUR"), "not a cursor, but long enough to have a header");
    windowSystem.folder = folder.path();
    fileSystem.files.insert(folder.file("HAND-M.CUR"));

    Form1& form = showWindow();

    EXPECT_FALSE(form.hasMouseIcon());
    EXPECT_TRUE(dialogs.log.empty());
}

TEST_F(PointerTest, InstalledProgram_FindsTheHandInItsDataFolder)
{
    const testing_support::TemporaryFolder installation;
    windowSystem.folder = installation.file("bin");
    const std::string hand = dataFolder(windowSystem.folder) + "/HAND-M.CUR";
    std::filesystem::create_directories(installation.file("bin"));
    std::filesystem::create_directories(installation.file("share/glyphmere"));
    std::filesystem::copy_file(GLYPHMERE_RESOURCES "/HAND-M.CUR", installation.file("share/glyphmere/HAND-M.CUR"));
    fileSystem.files.insert(hand);

    EXPECT_TRUE(showWindow().hasMouseIcon());
}

TEST_F(PointerTest, NothingReplacesTheHourglass)
{
    handInProgramFolder();
    Form1& form = showWindow();
    form.setMousePointer(Hourglass);

    moveOnto("Check3");
    moveOntoBareWindow();
    moveOnto("Check6");

    EXPECT_EQ(form.mousePointer(), Hourglass);
    ASSERT_NE(QGuiApplication::overrideCursor(), nullptr);
    EXPECT_EQ(QGuiApplication::overrideCursor()->shape(), Qt::WaitCursor);

    form.setMousePointer(Default);
    EXPECT_EQ(QGuiApplication::overrideCursor(), nullptr);
    EXPECT_EQ(form.cursor().shape(), Qt::ArrowCursor); // until the pointer next moves over a button
    moveOnto("Check6", QPoint(2, 0));
    EXPECT_EQ(form.mousePointer(), Custom);
}

TEST_F(PointerTest, ClosingWhileBusyLeavesNoHourglassBehind)
{
    Form1& form = showWindow();
    form.setMousePointer(Hourglass);

    m_form.reset();

    EXPECT_EQ(QGuiApplication::overrideCursor(), nullptr);
}

} // namespace
} // namespace glyphmere::app::testing
