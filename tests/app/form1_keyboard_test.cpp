#include "Form1Fixture.h"

#include "app/FocusRing.h"
#include "doclist/DocumentListView.h"

#include <QAccessible>
#include <QApplication>
#include <QCheckBox>
#include <QImage>
#include <QLabel>
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

    QWidget& widget(const char* name) { return control<QWidget>(*m_form, name); }

    static QAccessibleInterface& heard(QObject& object)
    {
        QAccessibleInterface* shown = QAccessible::queryAccessibleInterface(&object);
        EXPECT_NE(shown, nullptr);
        return *shown;
    }

    std::unique_ptr<Form1> m_form;
};

TEST_F(KeyboardTest, EnterOnAFocusedButton_DoesWhatAClickDoes)
{
    dialogs.openFilesAnswers = {{}, {}};
    dialogs.inputAnswers = {"", ""};
    const struct {
        const char* button;
        const char* shows;
    } buttons[] = {
        {"Check3", "openFiles: Add File(s) - Hold Ctrl to select multiple files"},
        {"Check6", "input: "},
        {"Check7", "message[Ok]: No files added."},
    };
    for (const auto& row : buttons) {
        SCOPED_TRACE(row.button);
        auto& button = control<GraphicalCheckBox>(*m_form, row.button);
        button.setFocus(Qt::TabFocusReason);
        for (const Qt::Key enter : {Qt::Key_Return, Qt::Key_Enter}) {
            dialogs.log.clear();
            QTest::keyClick(&button, enter);
            EXPECT_THAT(dialogs.log, ElementsAre(StartsWith(row.shows)));
            EXPECT_EQ(button.value(), 0); // sprung back
        }
    }

    QSignalSpy pressed(&control<QPushButton>(*m_form, "Command1"), &QPushButton::clicked);
    widget("Command1").setFocus(Qt::TabFocusReason);
    QTest::keyClick(&widget("Command1"), Qt::Key_Return);
    EXPECT_EQ(pressed.count(), 1);
}

TEST_F(KeyboardTest, TheFocusRingSurroundsWhicheverControlHasTheFocus)
{
    const auto& ring = control<FocusRing>(*m_form, "FocusRing");
    const QRgb ringColour = ring.palette().color(QPalette::Active, QPalette::Highlight).rgb();
    for (int i = 0; i < 8; ++i) {
        QWidget* focused = QApplication::focusWidget();
        ASSERT_NE(focused, nullptr);
        SCOPED_TRACE(focused->objectName().toStdString());
        EXPECT_EQ(ring.widget(), focused);
        if (focused->objectName() != "Command1") { // lies outside the window
            EXPECT_TRUE(ring.isVisible());
            const QImage shown = m_form->grab().toImage();
            const QRect around = focused->geometry();
            EXPECT_EQ(shown.pixel(around.left() - 1, around.center().y()), ringColour);
            EXPECT_EQ(shown.pixel(around.center().x(), around.bottom() + 1), ringColour);
        }
        QTest::keyClick(focused, Qt::Key_Tab);
    }

    QTest::mouseClick(control<doclist::DocumentListView>(*m_form, "ListView1").viewport(), Qt::LeftButton);
    EXPECT_EQ(ring.widget(), &widget("ListView1"));
}

TEST_F(KeyboardTest, EveryControlHasANameForAScreenReader)
{
    const struct {
        const char* control;
        const char* name;
    } named[] = {
        {"ListView1", "Word files to change"},
        {"Check3", "Add Word File(s)"},
        {"Check6", "Add All Word File(s) In Folder"},
        {"Check7", "Change Font"},
        {"Check1", "Change font of headers and footers also"},
        {"ProgressBar1", "Progress"},
    };
    for (const auto& row : named) {
        EXPECT_EQ(heard(widget(row.control)).text(QAccessible::Name), row.name) << row.control;
        EXPECT_FALSE(heard(widget(row.control)).text(QAccessible::Description).isEmpty()) << row.control;
    }
    // A box is named by its label.
    for (const auto& [box, label] : {std::pair{"Combo1", "Font Name:"}, std::pair{"Combo2", "Font Size:"}}) {
        const auto labels = heard(widget(box)).relations(QAccessible::Label);
        ASSERT_EQ(labels.size(), 1) << box;
        EXPECT_EQ(labels.front().first->text(QAccessible::Name), label) << box;
    }
}

} // namespace
} // namespace glyphmere::app::testing
