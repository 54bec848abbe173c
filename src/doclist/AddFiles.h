#pragma once

#include "doclist/RowAppender.h"
#include "platform/Dialogs.h"

#include <string>
#include <vector>

namespace glyphmere::doclist {

inline constexpr const char* kAddFilesTitle = "Add File(s) - Hold Ctrl to select multiple files";
inline constexpr const char* kAddFilesFilter = "Word Documents (*.do*)|*.do*|All Files (*.*)|*.*";

// The work of "Add Word File(s)": shows the multi-select file dialog and appends every chosen path, in
// the dialog's order, at the bottom of the list. A cancelled dialog changes nothing.
void AddFilesFromDialog(platform::Dialogs& dialogs, RowAppender& rows);

// The full paths in an Explorer-style multiple selection: one path alone, or a folder followed by one
// NUL-prefixed name per file. A folder that already ends in separator gets none added. Empty for "".
std::vector<std::string> pathsOfMultipleSelection(const std::string& result, char separator);

} // namespace glyphmere::doclist
