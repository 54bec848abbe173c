#include "platform/qt/PointerImage.h"

#include <QFile>
#include <QPixmap>

namespace glyphmere::platform::qt {
namespace {

// The file starts with a 6-byte directory (reserved, type, count) and then the first 16-byte entry;
// in a cursor file (type 2) that entry's planes and bit-count fields hold the hotspot.
constexpr qsizetype kHeaderSize = 6 + 16;
constexpr int kCursorType = 2;

int littleEndian16(const QByteArray& bytes, qsizetype at)
{
    return static_cast<unsigned char>(bytes[at]) | (static_cast<unsigned char>(bytes[at + 1]) << 8);
}

} // namespace

std::optional<QCursor> loadPointerImage(const QString& path)
{
    QFile file(path);
    if (!file.open(QIODevice::ReadOnly))
        return std::nullopt;
    const QByteArray bytes = file.readAll();
    if (bytes.size() < kHeaderSize)
        return std::nullopt;
    const bool isCursor = littleEndian16(bytes, 2) == kCursorType;
    QPixmap picture;
    if (!picture.loadFromData(bytes, isCursor ? "CUR" : "ICO") || picture.isNull())
        return std::nullopt;
    if (!isCursor)
        return QCursor(picture);
    return QCursor(picture, littleEndian16(bytes, 10), littleEndian16(bytes, 12));
}

} // namespace glyphmere::platform::qt
