#pragma once

#include <sys/stat.h>

namespace glyphmere::docengine {

// Whether the mode bits let the effective user change the file: the write bit of the class (owner,
// group, others) that applies to the user. Root may write anything, so for root a file counts as
// writable when any class has the write bit; a file that nobody may write is meant to stay as it is.
bool modeAllowsWriting(const struct stat& status);

// Whether the mode bits let the effective user create and rename files in the folder: write and search
// permission of the class that applies (for root: a write bit in any class).
bool folderModeAllowsReplacing(const struct stat& status);

} // namespace glyphmere::docengine
