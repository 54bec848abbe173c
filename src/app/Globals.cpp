#include "app/Globals.h"

namespace glyphmere::app {

TwipPoint CenterForm(platform::TwipSize screen, platform::TwipSize window)
{
    return {(screen.width - window.width) / 2, (screen.height - window.height) / 2};
}

bool FileExists(platform::FileSystem& fileSystem, const std::string& path)
{
    return fileSystem.lastChangeTime(path).has_value();
}

} // namespace glyphmere::app
