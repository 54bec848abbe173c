#include "Form1Fixture.h"

#include "app/Controls.h"

#include <QApplication>
#include <QCheckBox>
#include <QLineEdit>
#include <QTest>

#include <gmock/gmock.h>

namespace glyphmere::app::testing {
namespace {

using ::testing::ElementsAre;
using ::testing::IsEmpty;

// A shown, active window, so focus moves as it does for a person.
class ShownForm1Test : public Form1Test {
protected:
    Form1& showWindow()
    {
        m_form = start();
        m_form->show();
        QApplication::setActiveWindow(m_form.get());
        EXPECT_TRUE(QTest::qWaitForWindowActive(m_form.get()));
        return *m_form;
    }

    QLineEdit& sizeText() { return *control<QComboBox>(*m_form, "Combo2").lineEdit(); }

    std::unique_ptr<Form1> m_form;
};

TEST_F(ShownForm1Test, FocusStartsOnTheFontListAndTabFollowsTheDesignOrder)
{
    Form1& form = showWindow();
    std::vector<std::string> visited;
    for (int i = 0; i < 8; ++i) {
        visited.push_back(QApplication::focusWidget()->objectName().toStdString());
        QTest::keyClick(QApplication::focusWidget(), Qt::Key_Tab);
    }

    EXPECT_THAT(visited,
                ElementsAre("Combo1", "ListView1", "Check3", "Check6", "Check7", "Command1", "Check1", "Combo2"));
    EXPECT_EQ(form.fontSize(), "12");
}

TEST_F(ShownForm1Test, TypingASize_StoresTheTextAfterEveryKey)
{
    showWindow();
    sizeText().clear();
    settings.writes.clear();

    QTest::keyClicks(&sizeText(), "14");

    EXPECT_THAT(settings.writes, ElementsAre(stored("Combo2", "1"), stored("Combo2", "14")));
}

TEST_F(ShownForm1Test, ClearedSizeLosingTheFocus_ShowsAndStoresTwelve)
{
    Form1& form = showWindow();
    control<QComboBox>(form, "Combo2").setFocus();
    sizeText().clear();

    QTest::keyClick(QApplication::focusWidget(), Qt::Key_Tab);

    EXPECT_EQ(form.fontSize(), "12");
    EXPECT_THAT(settings.writes, ElementsAre(stored("Combo2", ""), stored("Combo2", "12")));
}

TEST_F(ShownForm1Test, LettersInTheSizeBox_AreReplacedBeforeAPushButtonActs)
{
    Form1& form = showWindow();
    control<QComboBox>(form, "Combo2").setFocus();
    sizeText().clear();
    QTest::keyClicks(&sizeText(), "abc");

    auto& changeFont = control<GraphicalCheckBox>(form, "Check7");
    dialogs.messageAnswers = {platform::MessageAnswer::Ok}; // the list is empty
    QTest::mouseClick(&changeFont, Qt::LeftButton);

    EXPECT_EQ(form.fontSize(), "12");
    EXPECT_EQ(settings.valueOf("Combo2"), "12");
    EXPECT_EQ(QApplication::focusWidget(), &changeFont);
    EXPECT_EQ(changeFont.value(), 0); // sprung back
}

TEST_F(ShownForm1Test, NumbersTypedOutsideTheListStayAsTyped)
{
    Form1& form = showWindow();
    for (const char* typed : {"10.5", "200", "10,5"}) {
        control<QComboBox>(form, "Combo2").setFocus();
        sizeText().clear();
        QTest::keyClicks(&sizeText(), typed);
        QTest::keyClick(QApplication::focusWidget(), Qt::Key_Tab);
        EXPECT_EQ(form.fontSize(), typed);
    }
}

TEST_F(ShownForm1Test, EnterInTheSizeBox_KeepsTheTypedSizeOutOfTheList)
{
    Form1& form = showWindow();
    auto& sizes = control<QComboBox>(form, "Combo2");
    sizes.setFocus();
    sizeText().clear();

    QTest::keyClicks(&sizeText(), "15");
    QTest::keyClick(&sizeText(), Qt::Key_Return);

    EXPECT_EQ(sizes.count(), 15);
    EXPECT_EQ(form.fontSize(), "15");
}

// Keys typed into the focused size box, then Tab: the box never completes a size from its list.
TEST_F(ShownForm1Test, SizeTypedIntoTheFocusedBox_StaysExactlyAsTyped)
{
    Form1& form = showWindow();
    auto& sizes = control<QComboBox>(form, "Combo2");
    for (const char* typed : {"1", "2", "3", "7", "4"}) {
        sizes.setFocus();
        sizeText().selectAll();
        QTest::keyClicks(QApplication::focusWidget(), typed);
        QTest::keyClick(QApplication::focusWidget(), Qt::Key_Tab);

        EXPECT_EQ(form.fontSize(), typed);
        EXPECT_EQ(settings.valueOf("Combo2"), typed);
    }
}

// The font list takes keys as a search among its own names: what it shows and stores is always one of them.
TEST_F(ShownForm1Test, KeysTypedIntoTheFocusedFontList_PickOnlyNamesFromTheList)
{
    automation.collections["FontNames"] = {"Calibri", "Cambria"};
    struct Case {
        const char* typed;
        const char* shown;
    };
    // Each in a window of its own, so the list's search starts afresh; the store carries the last pick over.
    for (const Case& each : {Case{"Cam", "Cambria"}, Case{"new", "New Times Roman"}, Case{"Zq", "New Times Roman"},
                             Case{"ca", "Calibri"}}) {
        Form1& form = showWindow();
        QTest::keyClicks(QApplication::focusWidget(), each.typed);
        QTest::keyClick(QApplication::focusWidget(), Qt::Key_Tab);

        EXPECT_EQ(form.fontName(), each.shown) << each.typed;
        EXPECT_EQ(settings.valueOf("Combo1"), each.shown) << each.typed;
    }
    const QStringList names = entries(control<QComboBox>(*m_form, "Combo1"));
    for (const std::string& write : settings.writes)
        EXPECT_TRUE(names.contains(QString::fromStdString(write.substr(write.find('=') + 1)))) << write;
}

TEST_F(ShownForm1Test, TogglingTheHeadersOption_StoresZeroThenOne)
{
    Form1& form = showWindow();
    auto& option = control<QCheckBox>(form, "Check1");

    QTest::mouseClick(&option, Qt::LeftButton);
    QTest::mouseClick(&option, Qt::LeftButton);

    EXPECT_THAT(settings.writes, ElementsAre(stored("Headers and Footers", "0"), stored("Headers and Footers", "1")));
}

TEST_F(ShownForm1Test, PickedFontIsStoredOnceAndSelectedAtTheNextStart)
{
    Form1& form = showWindow();
    auto& fonts = control<QComboBox>(form, "Combo1");

    QTest::keyClick(&fonts, Qt::Key_End);

    EXPECT_EQ(form.fontName(), "New Times Roman");
    EXPECT_THAT(settings.writes, ElementsAre(stored("Combo1", "New Times Roman")));
    EXPECT_EQ(start()->fontName(), "New Times Roman");
}

TEST_F(ShownForm1Test, PickedSizeIsStoredOnce)
{
    Form1& form = showWindow();
    auto& sizes = control<QComboBox>(form, "Combo2");
    sizes.setFocus();

    QTest::keyClick(&sizes, Qt::Key_Down);

    EXPECT_EQ(form.fontSize(), "14");
    EXPECT_THAT(settings.writes, ElementsAre(stored("Combo2", "14")));
}

TEST_F(ShownForm1Test, UnwritableStore_IsReportedOnceAndTheWindowGoesOn)
{
    settings.failWrites = true;
    Form1& form = showWindow();

    QTest::mouseClick(&control<QCheckBox>(form, "Check1"), Qt::LeftButton);
    QTest::keyClick(&control<QComboBox>(form, "Combo1"), Qt::Key_End);

    EXPECT_THAT(dialogs.messages,
                ElementsAre("Glyphmere could not save its settings.\r\n\r\nthe settings file is read-only"));
    // The font's change raises two events; as the first write failed, the second one tries again.
    EXPECT_EQ(settings.writes.size(), 3u);
    EXPECT_EQ(form.headersAndFootersValue(), 0);
}

TEST_F(ShownForm1Test, PushButtonsSpringBackAfterEveryClick)
{
    Form1& form = showWindow();
    // Each does nothing further: the file dialog and the extension prompt are cancelled, the list is empty.
    dialogs.openFilesAnswers = {{}};
    dialogs.inputAnswers = {""};
    dialogs.messageAnswers = {platform::MessageAnswer::Ok};
    for (const char* name : {"Check3", "Check6", "Check7"}) {
        auto& button = control<GraphicalCheckBox>(form, name);
        int clicks = 0;
        QObject::connect(&button, &GraphicalCheckBox::valueChanged, [&clicks] { ++clicks; });

        QTest::mouseClick(&button, Qt::LeftButton);

        EXPECT_EQ(button.value(), 0) << name;
        EXPECT_EQ(clicks, 2) << name; // the press, and the reset that finds 0
    }
    EXPECT_THAT(settings.writes, IsEmpty());
}

// QAbstractButton::click() in code presses the button as a click of the user does.
TEST_F(ShownForm1Test, ClickCalledInCode_PressesThePushButton)
{
    Form1& form = showWindow();
    auto& changeFont = control<GraphicalCheckBox>(form, "Check7");
    dialogs.messageAnswers = {platform::MessageAnswer::Ok};

    changeFont.click();

    EXPECT_THAT(dialogs.messages, ElementsAre("No files added."));
    EXPECT_EQ(changeFont.value(), 0);
}

} // namespace
} // namespace glyphmere::app::testing
