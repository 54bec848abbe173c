#pragma once

#include <optional>
#include <string>
#include <vector>

class QMimeData;

namespace glyphmere::doclist {

// The full paths of the files and folders in dragged data, in the order the source offers them;
// none when the data is not a list of local files (text, pictures, web addresses).
std::optional<std::vector<std::string>> droppedFilePaths(const QMimeData& data);

} // namespace glyphmere::doclist
