#pragma once

#include "platform/PathSeparator.h"

#include <optional>
#include <string>
#include <vector>

class QMimeData;

namespace glyphmere::doclist {

// The full paths of the files and folders in dragged data, in the order the source offers them, written
// with the given separator (the system's own, as the dialogs and the folder scan write them); none when
// the data is not a list of local files (text, pictures, web addresses).
std::optional<std::vector<std::string>> droppedFilePaths(const QMimeData& data,
                                                         char separator = platform::kPathSeparator);

} // namespace glyphmere::doclist
