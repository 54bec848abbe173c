#pragma once

#include <QRect>

class QScreen;

namespace glyphmere::platform::qt {

// Window positions and sizes are kept in twips (1440 per inch) and shown through the screen's logical
// DPI: 15 twips per pixel at 96 DPI.
double twipsPerPixel(const QScreen* screen);
double twipsPerPixel(); // of the primary screen

int twipsToPixels(double twips, double perPixel);
QRect twipsToPixels(double left, double top, double width, double height, double perPixel);

} // namespace glyphmere::platform::qt
