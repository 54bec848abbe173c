#include "common/SafeReplace.h"

#include "common/PendingReplacement.h"

namespace glyphmere::common {

const FileOperations& systemFileOperations()
{
    static const FileOperations operations;
    return operations;
}

FileHandle replaceFileSafely(const std::string& targetPath, const NewFileAttributes& attributes,
                             const std::function<void(const std::string&)>& writeTemporary,
                             const FileOperations& operations)
{
    return prepareReplacement(targetPath, attributes, writeTemporary, operations).commit().file;
}

void writeFileSafely(const std::string& targetPath, const std::string& bytes, const NewFileAttributes& attributes)
{
    replaceFileSafely(targetPath, attributes,
                      [&bytes](const std::string& temporaryPath) { writeWholeFile(temporaryPath, bytes); });
}

} // namespace glyphmere::common
