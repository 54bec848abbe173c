#include "platform/qt/QtShell.h"

#include <QDesktopServices>
#include <QUrl>

namespace glyphmere::platform::qt {

bool QtShell::openUrl(const std::string& address)
{
    return QDesktopServices::openUrl(QUrl(QString::fromStdString(address)));
}

} // namespace glyphmere::platform::qt
