#include "doclist/AddFiles.h"

namespace glyphmere::doclist {

void AddFilesFromDialog(platform::Dialogs& dialogs, RowAppender& rows)
{
    // The dialog hands back its whole result before the first row is appended.
    for (const std::string& path : dialogs.openFiles(kAddFilesTitle, kAddFilesFilter))
        rows.Add(path);
}

std::vector<std::string> pathsOfMultipleSelection(const std::string& result, char separator)
{
    if (result.empty())
        return {};
    std::vector<std::string> parts;
    std::size_t start = 0;
    for (std::size_t nul = result.find('\0'); nul != std::string::npos; nul = result.find('\0', start)) {
        parts.push_back(result.substr(start, nul - start));
        start = nul + 1;
    }
    parts.push_back(result.substr(start));
    if (parts.size() == 1)
        return parts;
    const std::string& folder = parts.front();
    const std::string prefix = !folder.empty() && folder.back() == separator ? folder : folder + separator;
    std::vector<std::string> paths;
    for (std::size_t i = 1; i < parts.size(); ++i)
        paths.push_back(prefix + parts[i]);
    return paths;
}

} // namespace glyphmere::doclist
