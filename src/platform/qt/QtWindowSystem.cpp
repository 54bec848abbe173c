#include "platform/qt/QtWindowSystem.h"

#include "platform/qt/Twips.h"

#include <QCoreApplication>
#include <QDir>
#include <QGuiApplication>
#include <QScreen>

#include <cstdlib>

namespace glyphmere::platform::qt {

TwipSize QtWindowSystem::screenSize()
{
    const QScreen* screen = QGuiApplication::primaryScreen();
    if (!screen)
        return {};
    const double perPixel = twipsPerPixel(screen);
    const QRect whole = screen->geometry(); // the whole screen, task bar included
    return {whole.width() * perPixel, whole.height() * perPixel};
}

std::string QtWindowSystem::programFolder()
{
    return QDir::toNativeSeparators(QCoreApplication::applicationDirPath()).toStdString();
}

void QtWindowSystem::processPendingEvents() { QCoreApplication::processEvents(); }

void QtWindowSystem::endProgram()
{
    // At once: a folder walk that is yielding to the event loop must not go on, and every setting
    // was already stored when it changed, so nothing is left to save.
    std::_Exit(0);
}

} // namespace glyphmere::platform::qt
