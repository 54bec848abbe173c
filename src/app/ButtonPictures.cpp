#include "app/ButtonPictures.h"

#include <QPainter>
#include <QPainterPath>

namespace glyphmere::app {
namespace {

constexpr int kSize = 32;
const QColor kInk(40, 40, 40);
const QColor kWordBlue(43, 87, 154);
const QColor kFolderYellow(240, 196, 80);
const QColor kFolderShade(200, 150, 40);

QPixmap emptyPicture()
{
    QPixmap picture(kSize, kSize);
    picture.fill(Qt::transparent);
    return picture;
}

// A page with a folded corner, a blue title band and lines of text, within bounds.
void drawDocument(QPainter& painter, const QRect& bounds)
{
    const int fold = bounds.width() / 4;
    QPainterPath page;
    page.moveTo(bounds.topLeft());
    page.lineTo(bounds.right() - fold, bounds.top());
    page.lineTo(bounds.right(), bounds.top() + fold);
    page.lineTo(bounds.bottomRight());
    page.lineTo(bounds.bottomLeft());
    page.closeSubpath();
    painter.setPen(QPen(kInk, 1));
    painter.setBrush(Qt::white);
    painter.drawPath(page);
    painter.drawLine(bounds.right() - fold, bounds.top(), bounds.right() - fold, bounds.top() + fold);
    painter.drawLine(bounds.right() - fold, bounds.top() + fold, bounds.right(), bounds.top() + fold);

    painter.fillRect(QRect(bounds.left() + 3, bounds.top() + 3, bounds.width() / 2, 4), kWordBlue);
    painter.setPen(QPen(QColor(120, 120, 120), 1));
    for (int y = bounds.top() + 10; y < bounds.bottom() - 2; y += 3)
        painter.drawLine(bounds.left() + 3, y, bounds.right() - 3, y);
}

} // namespace

QPixmap wordDocumentPicture()
{
    QPixmap picture = emptyPicture();
    QPainter painter(&picture);
    drawDocument(painter, QRect(5, 1, 22, 29));
    return picture;
}

QPixmap folderWithPapersPicture()
{
    QPixmap picture = emptyPicture();
    QPainter painter(&picture);
    painter.setPen(QPen(kInk, 1));
    painter.setBrush(kFolderShade);
    painter.drawRect(1, 8, 26, 20); // the folder's back, with its tab
    painter.drawRect(1, 5, 10, 3);
    painter.setBrush(Qt::white); // papers standing in it
    painter.drawRect(5, 3, 16, 18);
    painter.drawRect(9, 6, 16, 16);
    QPolygon front({QPoint(1, 28), QPoint(6, 14), QPoint(31, 14), QPoint(27, 28)});
    painter.setBrush(kFolderYellow);
    painter.drawPolygon(front);
    return picture;
}

QPixmap documentAboveFontBoxPicture()
{
    QPixmap picture = emptyPicture();
    QPainter painter(&picture);
    drawDocument(painter, QRect(8, 0, 16, 17));

    const QRect box(0, 19, 31, 12);
    painter.setPen(QPen(kInk, 1));
    painter.setBrush(Qt::white);
    painter.drawRect(box);
    const QRect arrowButton(box.right() - 8, box.top() + 1, 8, box.height() - 1);
    painter.fillRect(arrowButton, QColor(220, 220, 220));
    painter.setBrush(kInk);
    painter.drawPolygon(
        QPolygon({QPoint(arrowButton.left() + 2, box.top() + 5), QPoint(arrowButton.right() - 1, box.top() + 5),
                  QPoint(arrowButton.center().x(), box.top() + 8)}));
    QFont small(QStringLiteral("Arial"));
    small.setPixelSize(9);
    painter.setFont(small);
    painter.drawText(QRect(box.left() + 2, box.top(), box.width() - 11, box.height()), Qt::AlignVCenter,
                     QStringLiteral("Arial"));
    return picture;
}

QPixmap transparentIcon() { return emptyPicture(); }

} // namespace glyphmere::app
