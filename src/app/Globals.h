#pragma once

#include "platform/FileSystem.h"
#include "platform/WindowSystem.h"

#include <string>

namespace glyphmere::app {

struct TwipPoint {
    double left = 0;
    double top = 0;
};

// Where a window of outer size window stands in the middle of screen; negative when it is larger.
TwipPoint CenterForm(platform::TwipSize screen, platform::TwipSize window);

// True when the file system can tell when path last changed; every failure counts as missing.
bool FileExists(platform::FileSystem& fileSystem, const std::string& path);

} // namespace glyphmere::app
