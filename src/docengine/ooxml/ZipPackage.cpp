#include "docengine/ooxml/ZipPackage.h"

#include "common/FileHandle.h"
#include "docengine/files/DocumentFileAccess.h"
#include "docengine/EngineError.h"
#include "docengine/EngineMessages.h"
#include "docengine/ooxml/PackageWriter.h"
#include "docengine/ooxml/ZipArchiveReader.h"
#include "docengine/ooxml/LibzipArchive.h"
#include "docengine/ooxml/ZipEntryRules.h"

#include <optional>
#include <set>

namespace glyphmere::docengine {

struct ZipPackage::Impl {
    explicit Impl(DocumentFileAccess fileAccess)
        : access(std::move(fileAccess)), archive(ZipArchiveReader::open(access.file()))
    {
    }

    DocumentFileAccess access;
    ZipArchiveReader archive;
    std::vector<std::string> names;
    std::map<std::string, zip_uint64_t> indexByKey;
    ReadBudget budget;
    // Entries read to their end, whose stored checksums libzip has checked.
    std::set<zip_uint64_t> verified;

    zip_uint64_t indexOf(std::string_view name) const;
    void loadEntryNames();
    void adoptSavedFile(common::FileHandle written);
    PendingSave::WrittenCheck copiedEntriesCheck(const std::map<zip_uint64_t, const std::string*>& replacements) const;
};

zip_uint64_t ZipPackage::Impl::indexOf(std::string_view name) const
{
    const auto found = indexByKey.find(entryNameKey(name));
    if (found == indexByKey.end())
        throw EngineError(messages::noPart(std::string(name)));
    return found->second;
}

void ZipPackage::Impl::loadEntryNames()
{
    names = checkedEntryNames(archive.get(), archive.storedEntryNames());
    indexByKey.clear();
    for (zip_uint64_t index = 0; index < names.size(); ++index)
        indexByKey.emplace(entryNameKey(names[index]), index);
}

// After a save the package reads from the file it wrote, so a later read or save sees the saved parts.
// Should that file not reopen, the package keeps the old one and its old state: a further save is then
// refused as a change on disk, which is the safe outcome.
void ZipPackage::Impl::adoptSavedFile(common::FileHandle written)
{
    std::optional<ZipArchiveReader> reopened;
    try {
        reopened.emplace(ZipArchiveReader::open(written));
    } catch (const EngineError&) {
        return;
    }
    if (access.adopt(std::move(written))) {
        archive = std::move(*reopened);
        verified.clear();
    }
}

// Copied entries are not inflated by the copy. Their checksums are checked in the written package, right
// before it is put in place, so a damaged one is refused rather than carried into the saved document; the
// check needs nothing of the package, so a save committed on another thread makes it there, while the
// next document is restyled.
PendingSave::WrittenCheck ZipPackage::Impl::copiedEntriesCheck(
    const std::map<zip_uint64_t, const std::string*>& replacements) const
{
    std::vector<zip_uint64_t> unchecked;
    for (zip_uint64_t index = 0; index < names.size(); ++index) {
        if (!replacements.count(index) && !verified.count(index))
            unchecked.push_back(index);
    }
    if (unchecked.empty())
        return {};
    return [unchecked = std::move(unchecked), budget = budget](const common::FileHandle& writtenFile) mutable {
        const ZipArchiveReader written = ZipArchiveReader::open(writtenFile);
        for (const zip_uint64_t index : unchecked)
            verifyZipEntry(written.get(), index, budget);
    };
}

ZipPackage::ZipPackage(std::unique_ptr<Impl> impl) : m_impl(std::move(impl)) {}

ZipPackage::~ZipPackage() = default;

std::unique_ptr<ZipPackage> ZipPackage::open(const std::string& path) { return open(DocumentFileAccess::open(path)); }

std::unique_ptr<ZipPackage> ZipPackage::open(const std::string& path, const common::FileOperations& fileOperations)
{
    return open(DocumentFileAccess::open(path, fileOperations));
}

std::unique_ptr<ZipPackage> ZipPackage::open(DocumentFileAccess access)
{
    if (access.content() != FileContent::ZipPackage)
        throw EngineError(messages::kNotAPackage);
    auto impl = std::make_unique<Impl>(std::move(access));
    impl->loadEntryNames();
    return std::unique_ptr<ZipPackage>(new ZipPackage(std::move(impl)));
}

const std::string& ZipPackage::path() const { return m_impl->access.path(); }

const std::vector<std::string>& ZipPackage::entryNames() const { return m_impl->names; }

bool ZipPackage::hasEntry(std::string_view name) const { return m_impl->indexByKey.count(entryNameKey(name)) > 0; }

std::string ZipPackage::read(std::string_view name) const
{
    const zip_uint64_t index = m_impl->indexOf(name);
    std::string bytes = readZipEntry(m_impl->archive.get(), index, m_impl->budget);
    m_impl->verified.insert(index);
    return bytes;
}

void ZipPackage::saveReplacing(const std::map<std::string, std::string>& replaced) const
{
    Impl& impl = *m_impl;
    std::map<zip_uint64_t, const std::string*> replacements;
    for (const auto& [name, bytes] : replaced)
        replacements[impl.indexOf(name)] = &bytes;
    const auto writeNewPackage = [&](const std::string& temporaryPath) {
        writePackageCopy(temporaryPath, impl.archive.get(), replacements);
    };
    impl.adoptSavedFile(impl.access.replaceWith(writeNewPackage, impl.copiedEntriesCheck(replacements)));
}

} // namespace glyphmere::docengine
