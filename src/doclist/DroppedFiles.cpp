#include "doclist/DroppedFiles.h"

#include <QMimeData>
#include <QUrl>

namespace glyphmere::doclist {

std::optional<std::vector<std::string>> droppedFilePaths(const QMimeData& data, char separator)
{
    if (!data.hasUrls())
        return std::nullopt;
    std::vector<std::string> paths;
    for (const QUrl& url : data.urls()) {
        if (!url.isLocalFile())
            return std::nullopt;
        // Qt gives a local file's path with "/" on every system.
        paths.push_back(url.toLocalFile().replace(QLatin1Char('/'), QLatin1Char(separator)).toStdString());
    }
    return paths;
}

} // namespace glyphmere::doclist
