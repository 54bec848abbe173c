#include "platform/qt/PointerImage.h"

#include "common/LittleEndian.h"

#include <QFile>
#include <QPixmap>

namespace glyphmere::platform::qt {
namespace {

// The file starts with a 6-byte directory (reserved, type, count) and then the first 16-byte entry;
// in a cursor file (type 2) that entry's planes and bit-count fields hold the hotspot.
constexpr qsizetype kHeaderSize = 6 + 16;
constexpr int kCursorType = 2;

// The file's size is checked against kHeaderSize first, so every field read here is inside it.
int littleEndian16(const QByteArray& bytes, std::uint64_t at)
{
    return common::readLe16(std::string_view(bytes.constData(), static_cast<std::size_t>(bytes.size())), at)
        .value_or(0);
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
