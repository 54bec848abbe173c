#include "Form1Fixture.h"

#include <QAccessible>
#include <QApplication>
#include <QSignalSpy>
#include <QTest>

#include <gmock/gmock.h>

namespace glyphmere::app::testing {
namespace {

using ::testing::ElementsAre;
using ::testing::StartsWith;

// A shown, active window, used from the keyboard and heard through Qt's accessibility interfaces.
class KeyboardTest : public Form1Test {
protected:
    KeyboardTest()
    {
        m_form = start();
        m_form->show();
        QApplication::setActiveWindow(m_form.get());
        EXPECT_TRUE(QTest::qWaitForWindowActive(m_form.get()));
    }

    QAccessibleInterface& heard(const char* name)
    {
        return *QAccessible::queryAccessibleInterface(&control<QWidget>(*m_form, name));
    }

    std::unique_ptr<Form1> m_form;
};

TEST_F(KeyboardTest, EnterOnAFocusedButton_DoesWhatAClickDoes)
{
    dialogs.openFilesAnswers = {{}, {}};
    dialogs.inputAnswers = {"", ""};
    const std::pair<const char*, const char*> shownByButton[] = {
        {"Check3", "openFiles: Add File(s)"}, {"Check6", "input: "}, {"Check7", "message[Ok]: No files added."}};
    for (const auto& [name, shown] : shownByButton) {
        auto& button = control<GraphicalCheckBox>(*m_form, name);
        button.setFocus(Qt::TabFocusReason);
        for (const Qt::Key enter : {Qt::Key_Return, Qt::Key_Enter}) {
            dialogs.log.clear();
            QTest::keyClick(&button, enter);
            EXPECT_THAT(dialogs.log, ElementsAre(StartsWith(shown))) << name;
            EXPECT_EQ(button.value(), 0) << name; // sprung back
        }
    }

    auto& command1 = control<QPushButton>(*m_form, "Command1");
    QSignalSpy pressed(&command1, &QPushButton::clicked);
    command1.setFocus(Qt::TabFocusReason);
    QTest::keyClick(&command1, Qt::Key_Return);
    EXPECT_EQ(pressed.count(), 1);
}

TEST_F(KeyboardTest, EveryControlHasANameForAScreenReader)
{
    const std::pair<const char*, const char*> names[] = {{"ListView1", "Word files to change"},
                                                         {"Check3", "Add Word File(s)"},
                                                         {"Check6", "Add All Word File(s) In Folder"},
                                                         {"Check7", "Change Font"},
                                                         {"Check1", "Change font of headers and footers also"},
                                                         {"ProgressBar1", "Progress"}};
    for (const auto& [name, spoken] : names) {
        EXPECT_EQ(heard(name).text(QAccessible::Name), spoken) << name;
        EXPECT_FALSE(heard(name).text(QAccessible::Description).isEmpty()) << name;
    }
    // A box is named by its label.
    for (const auto& [box, label] : {std::pair{"Combo1", "Font Name:"}, std::pair{"Combo2", "Font Size:"}}) {
        const auto labels = heard(box).relations(QAccessible::Label);
        ASSERT_EQ(labels.size(), 1) << box;
        EXPECT_EQ(labels.front().first->text(QAccessible::Name), label) << box;
    }
}

} // namespace
} // namespace glyphmere::app::testing
