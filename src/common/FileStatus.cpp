#include "common/FileStatus.h"

namespace glyphmere::common {

bool unchangedSince(const FileStatus& before, const FileStatus& now)
{
    return before.device == now.device && before.fileId == now.fileId && before.size == now.size &&
           before.modifiedSeconds == now.modifiedSeconds && before.modifiedNanoseconds == now.modifiedNanoseconds;
}

} // namespace glyphmere::common
