#pragma once

#include "app/Main.h"
#include "app/OptionSettings.h"
#include "platform/MousePointer.h"
#include "platform/Platform.h"
#include "word/OptionsSource.h"

#include <QCursor>
#include <QWidget>

#include <memory>
#include <optional>
#include <string>

class QCheckBox;
class QComboBox;
class QLabel;
class QPushButton;

namespace glyphmere::doclist {
class DocumentListView;
class FolderScan;
} // namespace glyphmere::doclist

namespace glyphmere::app {

class FocusReportingComboBox;
class GraphicalCheckBox;
class ProgressBar;

// The program's one window: the document list, the three push buttons, the font options and the
// progress bar. It runs the start-up sequence when it is created, stores each option as it changes,
// gives the pointer feedback, and ends the program when it closes. Its pointer setting (0 default,
// 11 hourglass, 99 the hand) is the one the long operations share; its controls are the options that
// each restyle reads.
class Form1 final : public QWidget, public platform::PointerSetting, public word::OptionsSource {
    Q_OBJECT

public:
    explicit Form1(platform::Platform& platform, std::string homePage = Main::homePage(), QWidget* parent = nullptr);
    ~Form1() override;

    int mousePointer() const override { return m_mousePointer; }
    // The hourglass shows over the whole window, the list included; 99 shows the hand when
    // "HAND-M.CUR" was loaded, else the ordinary pointer.
    void setMousePointer(int setting) override;
    bool hasMouseIcon() const { return m_mouseIcon.has_value(); }

    // The options, read afresh from the controls every time.
    std::string fontName() const override;
    std::string fontSize() const override;
    int headersAndFootersValue() const override;

    doclist::DocumentListView& listView() { return *ListView1; }
    ProgressBar& progressBar() { return *ProgressBar1; }

protected:
    void mouseMoveEvent(QMouseEvent* event) override;
    void closeEvent(QCloseEvent* event) override;

private:
    void createControls();
    void createButtons();
    void createOptionControls();
    doclist::DocumentListView* createListView1();
    void setTabOrder();
    void connectHandlers();

    void Form_Load();
    void Form_Unload();
    void CenterForm();
    void loadMouseIcon();
    void giveListItsColumn();
    void fillFontList();
    void fillSizeList();
    void restoreOptions();

    void Check1_Click();
    void Combo1_Click();
    void Combo1_Change();
    void Combo2_Click();
    void Combo2_Change();
    void Combo2_LostFocus();
    void saveOption(const char* key, const std::string& value);

    void Form_MouseMove();
    void Check3_MouseMove();
    void Check6_MouseMove();
    void Check7_MouseMove();
    void showHandUnlessBusy();

    void Check3_Click();
    void Check6_Click();
    void Check7_Click();
    void addFilesByDialog();
    void addFolder();
    void changeFont();

    platform::Platform& m_platform;
    const std::string m_homePage;
    OptionWriter m_optionWriter;
    bool m_loading = false;
    int m_mousePointer = platform::MousePointer::Default;
    std::optional<QCursor> m_mouseIcon;

    // The controls, by their design names.
    doclist::DocumentListView* ListView1 = nullptr;
    GraphicalCheckBox* Check3 = nullptr;
    GraphicalCheckBox* Check6 = nullptr;
    GraphicalCheckBox* Check7 = nullptr;
    QPushButton* Command1 = nullptr;
    QCheckBox* Check1 = nullptr;
    QLabel* Label1 = nullptr;
    QComboBox* Combo1 = nullptr;
    QLabel* Label2 = nullptr;
    FocusReportingComboBox* Combo2 = nullptr;
    ProgressBar* ProgressBar1 = nullptr;

    std::unique_ptr<doclist::FolderScan> m_folderScan;
};

} // namespace glyphmere::app
