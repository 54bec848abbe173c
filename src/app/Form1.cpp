#include "app/Form1.h"

#include "app/Controls.h"
#include "app/Globals.h"
#include "doclist/DocumentListView.h"
#include "doclist/FolderScan.h"
#include "platform/NumberText.h"
#include "platform/qt/Twips.h"
#include "word/WordContract.h"

#include <QCheckBox>
#include <QCloseEvent>
#include <QScopedValueRollback>

namespace glyphmere::app {
namespace {

using platform::qt::twipsPerPixel;
using platform::qt::twipsToPixels;

constexpr const char* kCaption = "Glyphmere";
constexpr const char* kListColumn = "Word File(s)";
constexpr double kListColumnWidth = 5500;
constexpr const char* kNewTimesRoman = "New Times Roman"; // spelt so on purpose
constexpr const char* kWordDidNotStart = "Word could not be started, so its fonts are not listed.\r\n\r\n";
const char* const kFontSizes[] = {"8",  "9",  "10", "11", "12", "14", "16", "18",
                                  "20", "22", "24", "28", "36", "48", "72"};
constexpr int kInitialSizeEntry = 4; // "12"

QString qText(const std::string& text) { return QString::fromStdString(text); }

// The font list as LoadFontNames fills it.
class ComboItems final : public word::ItemList {
public:
    explicit ComboItems(QComboBox& box) : m_box(box) {}
    void addItem(const std::string& text) override { m_box.addItem(qText(text)); }

private:
    QComboBox& m_box;
};

} // namespace

Form1::Form1(platform::Platform& platform, std::string homePage, QWidget* parent)
    : QWidget(parent), m_platform(platform), m_homePage(std::move(homePage)),
      m_optionWriter(platform.settings, platform.dialogs)
{
    createControls();
    connectHandlers();
    Form_Load();
}

Form1::~Form1() { setMousePointer(platform::MousePointer::Default); }

std::string Form1::fontName() const { return Combo1->currentText().toStdString(); }
std::string Form1::fontSize() const { return Combo2->currentText().toStdString(); }
int Form1::headersAndFootersValue() const { return Check1->isChecked() ? 1 : 0; }

void Form1::Form_Load()
{
    // Filling and selecting below raise the controls' change events; none of them may store anything,
    // so the values restored at the end are the ones the previous run left.
    const QScopedValueRollback loading(m_loading, true);
    CenterForm();
    WhiteProgress(*ProgressBar1);
    loadMouseIcon();
    Main::OpenHomePageAtRandom(m_platform.random, m_platform.shell, m_homePage);
    setWindowTitle(QString::fromLatin1(kCaption));
    giveListItsColumn();
    fillFontList();
    Combo1->setCurrentIndex(0);
    fillSizeList();
    Combo2->setCurrentIndex(kInitialSizeEntry);
    restoreOptions();
}

void Form1::CenterForm()
{
    const double perPixel = twipsPerPixel(screen());
    const QRect outer = frameGeometry();
    const TwipPoint topLeft =
        app::CenterForm(m_platform.windowSystem.screenSize(), {outer.width() * perPixel, outer.height() * perPixel});
    move(twipsToPixels(topLeft.left, perPixel), twipsToPixels(topLeft.top, perPixel));
}

void Form1::giveListItsColumn()
{
    const int width = twipsToPixels(kListColumnWidth, twipsPerPixel(screen()));
    ListView1->setColumn(QString::fromLatin1(kListColumn), width);
}

void Form1::fillFontList()
{
    ComboItems fontList(*Combo1);
    try {
        word::LoadFontNames(m_platform.automation, fontList);
    } catch (const platform::AutomationError& error) {
        // The window is still useful without Word's fonts: say why they are missing and go on.
        m_platform.dialogs.messageBox(kWordDidNotStart + std::string(error.what()), platform::MessageButtons::Ok);
    }
    Combo1->addItem(QString::fromLatin1(kDefaultFontName));
    Combo1->addItem(QString::fromLatin1(kNewTimesRoman));
}

void Form1::fillSizeList()
{
    for (const char* size : kFontSizes)
        Combo2->addItem(QString::fromLatin1(size));
}

void Form1::restoreOptions()
{
    const StoredOptions stored = readStoredOptions(m_platform.settings);
    Check1->setChecked(stored.headersAndFooters == 1);
    int font = Combo1->findText(qText(stored.fontName), Qt::MatchExactly | Qt::MatchCaseSensitive);
    if (font < 0) // a font gone since the last run
        font = Combo1->findText(QString::fromLatin1(kDefaultFontName), Qt::MatchExactly | Qt::MatchCaseSensitive);
    Combo1->setCurrentIndex(font);
    Combo2->setEditText(qText(stored.fontSize));
}

void Form1::closeEvent(QCloseEvent* event)
{
    Form_Unload();
    event->accept();
}

void Form1::Form_Unload() { m_platform.windowSystem.endProgram(); }

void Form1::Check1_Click() { saveOption(kHeadersAndFootersKey, headersAndFootersValue() == 1 ? "1" : "0"); }
void Form1::Combo1_Click() { saveOption(kFontNameKey, fontName()); }
void Form1::Combo1_Change() { saveOption(kFontNameKey, fontName()); }
void Form1::Combo2_Click() { saveOption(kFontSizeKey, fontSize()); }
void Form1::Combo2_Change() { saveOption(kFontSizeKey, fontSize()); }

void Form1::Combo2_LostFocus()
{
    if (!platform::isNumeric(fontSize()))
        Combo2->setEditText(QString::fromLatin1(kDefaultFontSize)); // stored by Combo2_Change
}

void Form1::saveOption(const char* key, const std::string& value)
{
    if (!m_loading)
        m_optionWriter.save(key, value);
}

} // namespace glyphmere::app
