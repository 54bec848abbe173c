// The window's side of the pointer protocol: its setting, its hand image and the hover feedback.
#include "app/Form1.h"

#include "app/Globals.h"
#include "app/PointerImageFolder.h"
#include "doclist/DocumentListView.h"
#include "platform/PathSeparator.h"
#include "platform/qt/PointerImage.h"

#include <QGuiApplication>
#include <QMouseEvent>

namespace glyphmere::app {
namespace {

using platform::MousePointer::Custom;
using platform::MousePointer::Default;
using platform::MousePointer::Hourglass;

} // namespace

void Form1::loadMouseIcon()
{
    const std::string folder =
        pointerImageFolder(m_platform.fileSystem, m_platform.windowSystem.programFolder(), kHandCursorFile);
    const std::string path = folder + platform::kPathSeparator + kHandCursorFile;
    // A file that exists but is no readable cursor counts as missing: the hand then shows the
    // ordinary pointer.
    if (FileExists(m_platform.fileSystem, path))
        m_mouseIcon = platform::qt::loadPointerImage(QString::fromStdString(path));
}

void Form1::setMousePointer(int setting)
{
    if (setting == m_mousePointer)
        return;
    const bool wasBusy = m_mousePointer == Hourglass;
    m_mousePointer = setting;
    if (setting == Custom && m_mouseIcon)
        setCursor(*m_mouseIcon);
    else if (setting == platform::MousePointer::Arrow)
        setCursor(Qt::ArrowCursor);
    else
        unsetCursor();
    // The hourglass overrides every pointer of the window, the list's and the text boxes' included.
    if (setting == Hourglass && !wasBusy)
        QGuiApplication::setOverrideCursor(Qt::WaitCursor);
    else if (setting != Hourglass && wasBusy)
        QGuiApplication::restoreOverrideCursor();
    ListView1->showPointer();
}

void Form1::mouseMoveEvent(QMouseEvent* event)
{
    QWidget::mouseMoveEvent(event);
    // Qt hands the window the moves over controls that do not track the mouse; only the bare
    // surface counts as the window's own.
    if (!childAt(event->position().toPoint()))
        Form_MouseMove();
}

void Form1::Form_MouseMove()
{
    // A long operation owns the pointer while it shows the hourglass.
    if (m_mousePointer != Hourglass)
        setMousePointer(Default);
}

void Form1::Check3_MouseMove() { showHandUnlessBusy(); }
void Form1::Check6_MouseMove() { showHandUnlessBusy(); }
void Form1::Check7_MouseMove() { showHandUnlessBusy(); }

void Form1::showHandUnlessBusy()
{
    if (m_mousePointer != Hourglass)
        setMousePointer(Custom);
}

} // namespace glyphmere::app
