#pragma once

#include "platform/FileSystem.h"

namespace glyphmere::testing_support {

// The system's own FileSystem service, as the programs of this system build it (posix/ or win32/).
platform::FileSystem& systemFileSystem();

} // namespace glyphmere::testing_support
