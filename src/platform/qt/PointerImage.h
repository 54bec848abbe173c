#pragma once

#include <QCursor>
#include <QString>

#include <optional>

namespace glyphmere::platform::qt {

// A custom pointer image from a cursor (.cur, with the hotspot its header gives) or icon (.ico, hotspot
// in the middle) file. std::nullopt when the file is missing or cannot be read as either.
std::optional<QCursor> loadPointerImage(const QString& path);

} // namespace glyphmere::platform::qt
