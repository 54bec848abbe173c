#include "docengine/ooxml/DocumentFile.h"

#include "docengine/files/DocumentFileAccess.h"
#include "docengine/ooxml/Package.h"

namespace glyphmere::docengine {
namespace {

// A package on disk as a document file: reads and saves go straight to the package.
class PackageDocumentFile final : public DocumentFile, private PartSource {
public:
    explicit PackageDocumentFile(std::unique_ptr<Package> package) : m_package(std::move(package)) {}

    const std::string& path() const override { return m_package->path(); }
    const PartSource& parts() const override { return *this; }
    void saveReplacing(const std::map<std::string, std::string>& replaced) override
    {
        m_package->saveReplacing(replaced);
    }

private:
    const std::vector<std::string>& entryNames() const override { return m_package->entryNames(); }
    std::string read(std::string_view entry) const override { return m_package->read(entry); }

    std::unique_ptr<Package> m_package;
};

} // namespace

std::unique_ptr<DocumentFile> packageFile(DocumentFileAccess access)
{
    return std::make_unique<PackageDocumentFile>(Package::open(std::move(access)));
}

} // namespace glyphmere::docengine
