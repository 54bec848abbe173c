#include "support/SystemFileSystem.h"

#include "platform/win32/Win32FileSystem.h"

namespace glyphmere::testing_support {

platform::FileSystem& systemFileSystem()
{
    static platform::win32::Win32FileSystem files;
    return files;
}

} // namespace glyphmere::testing_support
