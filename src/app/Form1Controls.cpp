// The window's controls as designed: kinds, captions, positions and sizes in twips, fonts, tab order.
#include "app/Form1.h"

#include "app/ButtonPictures.h"
#include "app/Controls.h"
#include "app/FocusRing.h"
#include "app/PointerImageFolder.h"
#include "doclist/DocumentListView.h"
#include "doclist/FolderScan.h"
#include "platform/qt/Twips.h"

#include <QCheckBox>
#include <QLabel>

#include <algorithm>

namespace glyphmere::app {
namespace {

using platform::qt::twipsPerPixel;
using platform::qt::twipsToPixels;

constexpr double kClientWidth = 6615;
constexpr double kClientHeight = 4305;
constexpr double kSmallPoints = 9;
constexpr double kButtonPoints = 11.25;
constexpr double kWindowDefaultFont = 0;

const char* const kListTip =
    "Drag and drop files here. Double-click item to remove it. Move bar to right and out of window to reveal "
    "full names.";

// What a screen reader says of a control besides its name, which is its caption or its label.
const char* const kAddFilesHelp = "Opens a file dialog and adds the chosen files at the bottom of the list.";
const char* const kAddFolderHelp =
    "Asks for a file extension and a folder, then adds every matching file of that folder and its subfolders.";
const char* const kChangeFontHelp = "Gives every listed file the chosen font name and size, from the top row down.";
const char* const kHeadersAndFootersHelp = "When set, the header and footer get the new font too.";
const char* const kFontSizeHelp = "In points: pick a size or type one.";
const char* const kProgressName = "Progress";
const char* const kProgressHelp = "How much of the run is done.";

struct Placement {
    double left, top, width, height;
};

// Gives a control its name, its place in twips, and its bold Arial font of the given size.
void place(QWidget& control, const char* name, Placement at, double fontPoints)
{
    const double perPixel = twipsPerPixel(control.screen());
    control.setObjectName(QString::fromLatin1(name));
    control.setGeometry(twipsToPixels(at.left, at.top, at.width, at.height, perPixel));
    if (fontPoints == kWindowDefaultFont)
        return;
    QFont font(QStringLiteral("Arial"));
    font.setPointSizeF(fontPoints);
    font.setBold(true);
    control.setFont(font);
}

void paintWhite(QWidget& widget, QPalette::ColorRole role)
{
    QPalette white = widget.palette();
    white.setColor(role, Qt::white);
    widget.setPalette(white);
}

} // namespace

void Form1::createControls()
{
    setObjectName(QStringLiteral("Form1"));
    setWindowTitle(QStringLiteral("Form1"));
    setWindowFlags(Qt::Window | Qt::CustomizeWindowHint | Qt::WindowTitleHint | Qt::WindowSystemMenuHint |
                   Qt::WindowMinimizeButtonHint | Qt::WindowCloseButtonHint);
    const double perPixel = twipsPerPixel(screen());
    setFixedSize(twipsToPixels(kClientWidth, perPixel), twipsToPixels(kClientHeight, perPixel));
    paintWhite(*this, QPalette::Window);
    setAutoFillBackground(true);
    setWindowIcon(QIcon(transparentIcon()));
    setMouseTracking(true);

    ListView1 = createListView1();
    place(*ListView1, "ListView1", {120, 120, 6375, 1575}, kSmallPoints);
    ListView1->setToolTip(QString::fromLatin1(kListTip));
    m_folderScan = std::make_unique<doclist::FolderScan>(m_platform.dialogs, m_platform.fileSystem,
                                                         m_platform.windowSystem, *this, ListView1->ListItems);
    createButtons();
    createOptionControls();
    ProgressBar1 = new ProgressBar(this);
    place(*ProgressBar1, "ProgressBar1", {120, 3800, 6375, 375}, kWindowDefaultFont);
    ProgressBar1->setAccessibleName(QString::fromLatin1(kProgressName));
    ProgressBar1->setAccessibleDescription(QString::fromLatin1(kProgressHelp));
    new FocusRing(*this);
    setTabOrder();
}

// The list follows the window's pointer setting and finds its drag image in the program's folder, or
// else in the data folder of an installed program.
doclist::DocumentListView* Form1::createListView1()
{
    const std::string imageFolder =
        pointerImageFolder(m_platform.fileSystem, m_platform.windowSystem.programFolder(), kDragImageFile);
    return new doclist::DocumentListView(*this, m_platform.fileSystem, imageFolder, this);
}

void Form1::createButtons()
{
    Check3 = new GraphicalCheckBox(QStringLiteral("Add Word File(s)"), wordDocumentPicture(), this);
    place(*Check3, "Check3", {120, 1800, 2055, 1095}, kButtonPoints);
    Check6 = new GraphicalCheckBox(QStringLiteral("Add All Word File(s) In Folder"), folderWithPapersPicture(), this);
    place(*Check6, "Check6", {2280, 1800, 2055, 1095}, kButtonPoints);
    Check7 = new GraphicalCheckBox(QStringLiteral("Change Font"), documentAboveFontBoxPicture(), this);
    place(*Check7, "Check7", {4440, 1800, 2055, 1095}, kButtonPoints);
    for (GraphicalCheckBox* button : {Check3, Check6, Check7})
        paintWhite(*button, QPalette::Button);
    Check3->setAccessibleDescription(QString::fromLatin1(kAddFilesHelp));
    Check6->setAccessibleDescription(QString::fromLatin1(kAddFolderHelp));
    Check7->setAccessibleDescription(QString::fromLatin1(kChangeFontHelp));

    // Lies wholly outside the client area and does nothing; Enter presses it as Space does.
    Command1 = new QPushButton(QStringLiteral("Command1"), this);
    place(*Command1, "Command1", {-720, 2640, 615, 495}, kWindowDefaultFont);
    Command1->setAutoDefault(true);
}

void Form1::createOptionControls()
{
    Check1 = new QCheckBox(QStringLiteral("Change font of headers and footers also"), this);
    place(*Check1, "Check1", {120, 3000, 6135, 255}, kSmallPoints);
    Check1->setAccessibleDescription(QString::fromLatin1(kHeadersAndFootersHelp));
    Label1 = new QLabel(QStringLiteral("Font Name:"), this);
    place(*Label1, "Label1", {135, 3420, 945, 225}, kSmallPoints);
    Combo1 = new QComboBox(this);
    place(*Combo1, "Combo1", {1155, 3360, 3135, 345}, kSmallPoints);
    Label2 = new QLabel(QStringLiteral("Font Size:"), this);
    place(*Label2, "Label2", {4410, 3420, 810, 225}, kSmallPoints);
    // The design widths fit the caption as Windows draws Arial; a face drawn a little wider here may
    // use the gap before its combo box rather than lose its last letter.
    for (QLabel* label : {Label1, Label2})
        label->resize(std::max(label->width(), label->sizeHint().width()), label->height());

    Combo2 = new FocusReportingComboBox(this);
    place(*Combo2, "Combo2", {5340, 3375, 1155, 345}, kSmallPoints);
    Combo2->setEditable(true);
    // Enter keeps the typed size in the box without adding it to the list.
    Combo2->setInsertPolicy(QComboBox::NoInsert);
    // A size stays exactly as typed: Qt's inline completion would make a typed "3" the list's "36".
    Combo2->setCompleter(nullptr);
    Combo2->setEditText(QStringLiteral("Combo2"));
    Combo2->setAccessibleDescription(QString::fromLatin1(kFontSizeHelp));
    // Each box is named by its label, for a screen reader.
    Label1->setBuddy(Combo1);
    Label2->setBuddy(Combo2);
}

void Form1::setTabOrder()
{
    // Design tab indexes: Combo1 0, ListView1 1, Check3 2, Check6 3, Check7 4, Command1 5,
    // ProgressBar1 6, Check1 7, Label1 8, Combo2 9, Label2 10 (labels and the bar take no focus).
    QWidget* order[] = {Combo1, ListView1, Check3, Check6, Check7, Command1, Check1, Combo2};
    for (std::size_t i = 0; i + 1 < std::size(order); ++i)
        QWidget::setTabOrder(order[i], order[i + 1]);
    Combo1->setFocus();
}

void Form1::connectHandlers()
{
    connect(Check1, &QCheckBox::toggled, this, &Form1::Check1_Click);
    connect(Combo1, &QComboBox::activated, this, &Form1::Combo1_Click);
    connect(Combo1, &QComboBox::currentTextChanged, this, &Form1::Combo1_Change);
    connect(Combo2, &QComboBox::activated, this, &Form1::Combo2_Click);
    connect(Combo2, &QComboBox::editTextChanged, this, &Form1::Combo2_Change);
    connect(Combo2, &FocusReportingComboBox::lostFocus, this, &Form1::Combo2_LostFocus);

    connect(Check3, &GraphicalCheckBox::mouseMoved, this, &Form1::Check3_MouseMove);
    connect(Check6, &GraphicalCheckBox::mouseMoved, this, &Form1::Check6_MouseMove);
    connect(Check7, &GraphicalCheckBox::mouseMoved, this, &Form1::Check7_MouseMove);

    connect(Check3, &GraphicalCheckBox::valueChanged, this, &Form1::Check3_Click);
    connect(Check6, &GraphicalCheckBox::valueChanged, this, &Form1::Check6_Click);
    connect(Check7, &GraphicalCheckBox::valueChanged, this, &Form1::Check7_Click);
}

} // namespace glyphmere::app
