#pragma once

#include "common/FileHandle.h"
#include "common/FileStatus.h"

namespace glyphmere::docengine {

// Whether the user may change the file that status describes, by what its status says. POSIX: the write
// bit of the class (owner, group, others) that applies to the effective user; root may write anything,
// so for root a file counts as writable when any class has the write bit, since a file that nobody may
// write is meant to stay as it is. Windows: the file is not marked read-only.
bool allowsWriting(const common::FileStatus& status);

// Whether the user may create and rename files in the folder that status describes. POSIX: write and
// search permission of the class that applies (for root: a write bit in any class). Windows: always, as
// far as a status can tell; a refusal comes from the replacement itself.
bool folderAllowsReplacing(const common::FileStatus& status);

// Whether the open file lies on a file system mounted read-only.
bool onReadOnlyFileSystem(const common::FileHandle& file);

} // namespace glyphmere::docengine
