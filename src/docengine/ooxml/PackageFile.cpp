#include "docengine/ooxml/PackageFile.h"

#include "docengine/files/DocumentFileAccess.h"
#include "docengine/ooxml/ZipPackage.h"

namespace glyphmere::docengine {
namespace {

// A package on disk as a document file: reads and saves go straight to the package.
class ZipPackageFile final : public PackageFile, private PartSource {
public:
    explicit ZipPackageFile(std::unique_ptr<ZipPackage> package) : m_package(std::move(package)) {}

    const std::string& path() const override { return m_package->path(); }
    const PartSource& parts() const override { return *this; }
    void saveReplacing(const std::map<std::string, std::string>& replaced) override
    {
        m_package->saveReplacing(replaced);
    }

private:
    const std::vector<std::string>& entryNames() const override { return m_package->entryNames(); }
    std::string read(std::string_view entry) const override { return m_package->read(entry); }

    std::unique_ptr<ZipPackage> m_package;
};

} // namespace

std::unique_ptr<PackageFile> packageFile(DocumentFileAccess access)
{
    return std::make_unique<ZipPackageFile>(ZipPackage::open(std::move(access)));
}

} // namespace glyphmere::docengine
