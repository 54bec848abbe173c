#include "common/PendingReplacement.h"

#include "common/AbandonedTemporaries.h"
#include "common/FilePath.h"
#include "common/ReplacementSteps.h"

namespace glyphmere::common {

PendingReplacement::PendingReplacement(std::string targetPath, std::unique_ptr<TemporaryFiles> temporary,
                                       FileHandle written, const FileOperations& operations)
    : m_targetPath(std::move(targetPath)), m_temporary(std::move(temporary)), m_written(std::move(written)),
      m_operations(&operations)
{
}

PendingReplacement::PendingReplacement(PendingReplacement&&) noexcept = default;
PendingReplacement& PendingReplacement::operator=(PendingReplacement&&) noexcept = default;
PendingReplacement::~PendingReplacement() = default;

FileHandle PendingReplacement::readDescriptor() const { return m_written.duplicate(); }

PendingReplacement prepareReplacement(const std::string& targetPath, const NewFileAttributes& attributes,
                                      const std::function<void(const std::string&)>& writeTemporary,
                                      const FileOperations& operations)
{
    removeAbandonedTemporariesOnce(folderOf(targetPath));
    auto temporary = std::make_unique<TemporaryFiles>(targetPath);
    writeTemporary(temporary->contentPath());
    FileHandle written = settleWrittenFile(temporary->contentPath(), attributes);
    return PendingReplacement(targetPath, std::move(temporary), std::move(written), operations);
}

} // namespace glyphmere::common
