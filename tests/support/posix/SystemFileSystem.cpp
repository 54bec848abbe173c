#include "support/SystemFileSystem.h"

#include "platform/posix/PosixFileSystem.h"

namespace glyphmere::testing_support {

platform::FileSystem& systemFileSystem()
{
    static platform::posix::PosixFileSystem files;
    return files;
}

} // namespace glyphmere::testing_support
