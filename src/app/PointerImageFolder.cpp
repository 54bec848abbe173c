#include "app/PointerImageFolder.h"

#include "app/Globals.h"
#include "platform/PathSeparator.h"

namespace glyphmere::app {

std::string dataFolder(const std::string& programFolder)
{
    return programFolder + platform::kPathSeparator + GLYPHMERE_DATA_FOLDER_FROM_PROGRAM;
}

std::string pointerImageFolder(platform::FileSystem& fileSystem, const std::string& programFolder,
                               const std::string& imageName)
{
    for (const std::string& folder : {programFolder, dataFolder(programFolder)}) {
        if (FileExists(fileSystem, folder + platform::kPathSeparator + imageName))
            return folder;
    }
    return programFolder;
}

} // namespace glyphmere::app
