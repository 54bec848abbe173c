#include "docengine/files/WriteAccess.h"

#include <windows.h>

namespace glyphmere::docengine {

// On Windows a FileStatus's mode holds the file's attributes.
bool allowsWriting(const common::FileStatus& status) { return (status.mode & FILE_ATTRIBUTE_READONLY) == 0; }

// The read-only attribute of a folder is no refusal on Windows (Explorer uses it to mark special folders),
// and its security can only be judged by trying: a refusal then comes from the replacement.
bool folderAllowsReplacing(const common::FileStatus&) { return true; }

bool onReadOnlyFileSystem(const common::FileHandle& file)
{
    DWORD flags = 0;
    return GetVolumeInformationByHandleW(reinterpret_cast<HANDLE>(file.get()), nullptr, 0, nullptr, nullptr, &flags,
                                         nullptr, 0) &&
           (flags & FILE_READ_ONLY_VOLUME) != 0;
}

} // namespace glyphmere::docengine
