#pragma once

#include "common/FileStatus.h"

#include <windows.h>

namespace glyphmere::common {

// The engine's view of the open file: its volume and index, size, time of last change and attributes
// (as its mode). SystemError when the system cannot tell.
FileStatus statusOfHandle(HANDLE handle);

} // namespace glyphmere::common
