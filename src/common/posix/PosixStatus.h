#pragma once

#include "common/FileStatus.h"

#include <sys/stat.h>

namespace glyphmere::common {

// The engine's view of what stat() reported.
FileStatus fileStatusOf(const struct stat& status);

} // namespace glyphmere::common
