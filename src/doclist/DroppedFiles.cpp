#include "doclist/DroppedFiles.h"

#include <QMimeData>
#include <QUrl>

namespace glyphmere::doclist {

std::optional<std::vector<std::string>> droppedFilePaths(const QMimeData& data)
{
    if (!data.hasUrls())
        return std::nullopt;
    std::vector<std::string> paths;
    for (const QUrl& url : data.urls()) {
        if (!url.isLocalFile())
            return std::nullopt;
        paths.push_back(url.toLocalFile().toStdString());
    }
    return paths;
}

} // namespace glyphmere::doclist
