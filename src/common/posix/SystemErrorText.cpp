#include "common/SystemErrorText.h"

#include <cerrno>
#include <cstring>

namespace glyphmere::common {

std::string systemErrorText(int error)
{
    switch (error) {
    case ENOSPC:
        return "no space left on the device";
    case EDQUOT:
        return "the disk quota is exhausted";
    case EFBIG:
        return "the file would be larger than the system allows";
    case EROFS:
        return "the file system is read-only";
    case EACCES:
    case EPERM:
        return "permission denied";
    case ENOENT:
        return "the file or its folder does not exist";
    case EIO:
        return "an input/output error occurred";
    case ENAMETOOLONG:
        return "the file name is too long";
    default:
        break;
    }
    // strerror_r, not strerror: documents are restyled on several threads at once.
    char buffer[256];
    return asClause(strerror_r(error, buffer, sizeof buffer));
}

} // namespace glyphmere::common
