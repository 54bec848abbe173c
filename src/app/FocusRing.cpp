#include "app/FocusRing.h"

#include <QApplication>
#include <QPainter>

namespace glyphmere::app {
namespace {

constexpr int kRingWidth = 2; // the style's focus-frame margin around the control

} // namespace

FocusRing::FocusRing(QWidget& window) : QFocusFrame(&window), m_window(window)
{
    setObjectName(QStringLiteral("FocusRing"));
    connect(qApp, &QApplication::focusChanged, this, [this](QWidget*, QWidget* now) { follow(now); });
    follow(QApplication::focusWidget());
}

void FocusRing::follow(QWidget* focused)
{
    setWidget(focused && focused != &m_window && focused->window() == &m_window ? focused : nullptr);
}

void FocusRing::paintEvent(QPaintEvent*)
{
    QPainter painter(this);
    QPen pen(palette().color(QPalette::Active, QPalette::Highlight), kRingWidth);
    pen.setJoinStyle(Qt::MiterJoin);
    painter.setPen(pen);
    const qreal inset = kRingWidth / 2.0;
    painter.drawRect(QRectF(rect()).adjusted(inset, inset, -inset, -inset));
}

} // namespace glyphmere::app
