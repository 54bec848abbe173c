#pragma once

#include "platform/FileSystem.h"

#include <string>

namespace glyphmere::app {

inline constexpr const char* kHandCursorFile = "HAND-M.CUR";
inline constexpr const char* kDragImageFile = "drag.ico";

// The data folder of an installed program, relative to the program's own folder
// ("../share/glyphmere"), so that a moved installation still finds its images.
std::string dataFolder(const std::string& programFolder);

// The folder that holds the pointer image imageName: the program's own folder when the image is there,
// as it always was, else the data folder when it is there, else the program's folder (the image is then
// missing everywhere, and the callers show the ordinary pointer).
std::string pointerImageFolder(platform::FileSystem& fileSystem, const std::string& programFolder,
                               const std::string& imageName);

} // namespace glyphmere::app
