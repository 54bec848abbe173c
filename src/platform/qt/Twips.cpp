#include "platform/qt/Twips.h"

#include <QGuiApplication>
#include <QScreen>

#include <cmath>

namespace glyphmere::platform::qt {
namespace {

constexpr double kTwipsPerInch = 1440.0;
constexpr double kStandardDpi = 96.0;

} // namespace

double twipsPerPixel(const QScreen* screen)
{
    const double dpi = screen ? screen->logicalDotsPerInchX() : kStandardDpi;
    return kTwipsPerInch / (dpi > 0 ? dpi : kStandardDpi);
}

double twipsPerPixel() { return twipsPerPixel(QGuiApplication::primaryScreen()); }

int twipsToPixels(double twips, double perPixel) { return static_cast<int>(std::lround(twips / perPixel)); }

QRect twipsToPixels(double left, double top, double width, double height, double perPixel)
{
    return QRect(twipsToPixels(left, perPixel), twipsToPixels(top, perPixel), twipsToPixels(width, perPixel),
                 twipsToPixels(height, perPixel));
}

} // namespace glyphmere::platform::qt
