#include "docengine/ooxml/Package.h"

#include "docengine/files/ContentSniff.h"
#include "docengine/files/EngineError.h"
#include "docengine/files/FilePath.h"
#include "docengine/files/LockFiles.h"
#include "docengine/files/PackageMessages.h"
#include "docengine/ooxml/PackageWriter.h"
#include "docengine/files/SafeSave.h"
#include "docengine/files/SystemErrorText.h"
#include "docengine/files/UniqueFd.h"
#include "docengine/files/WriteAccess.h"
#include "docengine/ooxml/ZipArchive.h"
#include "docengine/ooxml/ZipEntryRules.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <sys/statvfs.h>

#include <cerrno>
#include <cstdlib>
#include <set>

namespace glyphmere::docengine {

struct Package::Impl {
    std::string path;
    const FileOperations* fileOperations = nullptr;
    UniqueFd fd;
    // The file as it was when opened (or last saved): the save refuses when it no longer matches.
    struct stat status {};
    ZipArchivePtr archive;
    std::vector<std::string> names;
    std::map<std::string, zip_uint64_t> indexByKey;
    ReadBudget budget;
    // Entries read to their end, whose stored checksums libzip has checked.
    std::set<zip_uint64_t> verified;

    zip_uint64_t indexOf(std::string_view name) const;
    void loadArchive();
    void adoptSavedFile(UniqueFd written);
};

namespace {

[[noreturn]] void refuse(const std::string& reason)
{
    throw EngineError(reason);
}

// Opens without blocking and only a regular file: a FIFO or a device never reaches open() through the
// first check, and the second one catches a file swapped in between.
UniqueFd openRegularFile(const std::string& path, struct stat& status)
{
    if (::stat(path.c_str(), &status) != 0)
        refuse(messages::cannotOpen(systemErrorText(errno)));
    if (!S_ISREG(status.st_mode))
        refuse(messages::kNotAWordDocument);
    UniqueFd fd(::open(path.c_str(), O_RDONLY | O_NONBLOCK | O_CLOEXEC));
    if (!fd.valid())
        refuse(messages::cannotOpen(systemErrorText(errno)));
    if (::fstat(fd.get(), &status) != 0)
        refuse(messages::cannotOpen(systemErrorText(errno)));
    if (!S_ISREG(status.st_mode))
        refuse(messages::kNotAWordDocument);
    return fd;
}

void refuseUnlessZipPackage(int fd, const struct stat& status)
{
    switch (sniffContent(fd, static_cast<std::uint64_t>(status.st_size))) {
    case FileContent::ZipPackage:
        return;
    case FileContent::EncryptedPackage:
        refuse(messages::kPasswordProtected);
    case FileContent::WordBinaryDocument:
        refuse(messages::kWordBinaryDocument);
    case FileContent::Other:
        break;
    }
    refuse(messages::kNotAWordDocument);
}

std::string resolvedPath(const std::string& path, std::string (*failure)(const std::string&))
{
    std::unique_ptr<char, void (*)(void*)> resolved(::realpath(path.c_str(), nullptr), std::free);
    if (!resolved)
        refuse(failure(systemErrorText(errno)));
    return resolved.get();
}

void refuseUnlessReplaceable(const std::string& realPath, int fd, const struct stat& status)
{
    if (!modeAllowsWriting(status))
        refuse(messages::kReadOnly);
    struct statvfs fileSystem {};
    if (::fstatvfs(fd, &fileSystem) == 0 && (fileSystem.f_flag & ST_RDONLY))
        refuse(messages::kReadOnlyFileSystem);
    struct stat folder {};
    if (::stat(folderOf(realPath).c_str(), &folder) != 0)
        refuse(messages::cannotOpen(systemErrorText(errno)));
    if (!folderModeAllowsReplacing(folder))
        refuse(messages::kFolderReadOnly);
}

// Looks beside the path as given and, for a link, beside its target too: either program may have
// opened the document under either name.
void refuseWhenLocked(const std::string& path, const std::string& realPath)
{
    for (const std::string& candidate : {path, realPath}) {
        if (const auto lockFile = findLockFile(folderOf(candidate), fileNameOf(candidate)))
            refuse(messages::lockedBy(*lockFile));
    }
}

bool unchangedSinceOpen(const struct stat& before, const struct stat& now)
{
    return before.st_dev == now.st_dev && before.st_ino == now.st_ino && before.st_size == now.st_size &&
           before.st_mtim.tv_sec == now.st_mtim.tv_sec && before.st_mtim.tv_nsec == now.st_mtim.tv_nsec;
}

} // namespace

zip_uint64_t Package::Impl::indexOf(std::string_view name) const
{
    const auto found = indexByKey.find(entryNameKey(name));
    if (found == indexByKey.end())
        refuse(messages::noPart(std::string(name)));
    return found->second;
}

void Package::Impl::loadArchive()
{
    archive = openZipArchive(fd.get());
    names = checkedEntryNames(archive.get(), fd.get());
    indexByKey.clear();
    for (zip_uint64_t index = 0; index < names.size(); ++index)
        indexByKey.emplace(entryNameKey(names[index]), index);
}

// After a save the package reads from the file it wrote, so a later read or save sees the saved parts.
// Should that file not reopen, the package keeps the old one and its old state: a further save is then
// refused as a change on disk, which is the safe outcome.
void Package::Impl::adoptSavedFile(UniqueFd written)
{
    struct stat writtenStatus {};
    if (::fstat(written.get(), &writtenStatus) != 0)
        return;
    try {
        ZipArchivePtr reopened = openZipArchive(written.get());
        archive = std::move(reopened);
        fd = std::move(written);
        status = writtenStatus;
        verified.clear();
    } catch (const EngineError&) {
        return;
    }
}

Package::Package(std::unique_ptr<Impl> impl) : m_impl(std::move(impl)) {}

Package::~Package() = default;

std::unique_ptr<Package> Package::open(const std::string& path)
{
    return open(path, systemFileOperations());
}

std::unique_ptr<Package> Package::open(const std::string& path, const FileOperations& fileOperations)
{
    auto impl = std::make_unique<Impl>();
    impl->path = path;
    impl->fileOperations = &fileOperations;
    impl->fd = openRegularFile(path, impl->status);
    refuseUnlessZipPackage(impl->fd.get(), impl->status);
    const std::string realPath = resolvedPath(path, messages::cannotOpen);
    refuseUnlessReplaceable(realPath, impl->fd.get(), impl->status);
    refuseWhenLocked(path, realPath);
    impl->loadArchive();
    return std::unique_ptr<Package>(new Package(std::move(impl)));
}

const std::string& Package::path() const
{
    return m_impl->path;
}

const std::vector<std::string>& Package::entryNames() const
{
    return m_impl->names;
}

bool Package::hasEntry(std::string_view name) const
{
    return m_impl->indexByKey.count(entryNameKey(name)) > 0;
}

std::string Package::read(std::string_view name) const
{
    const zip_uint64_t index = m_impl->indexOf(name);
    std::string bytes = readZipEntry(m_impl->archive.get(), index, m_impl->budget);
    m_impl->verified.insert(index);
    return bytes;
}

void Package::saveReplacing(const std::map<std::string, std::string>& replaced) const
{
    Impl& impl = *m_impl;
    std::map<zip_uint64_t, const std::string*> replacements;
    for (const auto& [name, bytes] : replaced)
        replacements[impl.indexOf(name)] = &bytes;

    const std::string target = resolvedPath(impl.path, messages::cannotSave);
    struct stat current {};
    if (::stat(target.c_str(), &current) != 0)
        refuse(messages::cannotSave(systemErrorText(errno)));
    if (!unchangedSinceOpen(impl.status, current))
        refuse(messages::kChangedOnDisk);
    if (!modeAllowsWriting(current))
        refuse(messages::kReadOnly);
    // Copied entries are not inflated by the copy; their checksums are checked before anything is
    // written, so a damaged one is refused rather than carried into the saved document.
    for (zip_uint64_t index = 0; index < impl.names.size(); ++index) {
        if (!replacements.count(index) && !impl.verified.count(index)) {
            verifyZipEntry(impl.archive.get(), index, impl.budget);
            impl.verified.insert(index);
        }
    }

    const auto writeNewPackage = [&](const std::string& temporaryPath) {
        writePackageCopy(temporaryPath, impl.archive.get(), replacements);
    };
    UniqueFd written = replaceFileSafely(target, current, writeNewPackage, *impl.fileOperations);
    impl.adoptSavedFile(std::move(written));
}

} // namespace glyphmere::docengine
