#pragma once

#include <cstdint>
#include <map>
#include <memory>
#include <string>
#include <string_view>
#include <vector>

namespace glyphmere::common {
class FileOperations;
}

namespace glyphmere::docengine {

class DocumentFileAccess;

// An Office Open XML package opened from a file, and its safe replacement on disk.
// open() makes every file-level check before anything is read (DocumentFileAccess: a regular file, a
// zip package by content, not read-only, not held open by another program), then the archive's: no
// duplicate or unsafe entry names, no entry that readers could take under different names, no encrypted
// entries. Failures are EngineErrors with the reason.
class ZipPackage {
public:
    static std::unique_ptr<ZipPackage> open(const std::string& path);
    // The same, with the safe save's system calls made through fileOperations (which must outlive the
    // package): how tests make a rename or a flush fail.
    static std::unique_ptr<ZipPackage> open(const std::string& path, const common::FileOperations& fileOperations);
    // The package in a file opened with every file-level check; anything but a zip package is refused.
    static std::unique_ptr<ZipPackage> open(DocumentFileAccess access);
    ~ZipPackage();

    const std::string& path() const;
    // Entry names in the archive's own order.
    const std::vector<std::string>& entryNames() const;
    bool hasEntry(std::string_view name) const;
    // The entry's inflated bytes. At most 256 MiB for one entry and 1 GiB for all reads together,
    // counted while inflating: "the document is too large".
    std::string read(std::string_view name) const;
    // Writes the package over the file it was opened from: the entries in their order, replaced ones
    // with the given bytes (deflated), every other one copied as stored, byte for byte. Goes through a
    // temporary file in the same folder that is flushed, given the original's permission bits and
    // renamed over the original (a link's target, never the link). Refuses when the file changed on
    // disk since open, and, before the new file is put in place (when it is committed, see
    // DocumentFileAccess::replaceWith), when a copied entry fails its checksum. On any failure the
    // original is left exactly as it was.
    void saveReplacing(const std::map<std::string, std::string>& replaced) const;

    struct Impl;

private:
    explicit ZipPackage(std::unique_ptr<Impl> impl);
    std::unique_ptr<Impl> m_impl;
};

} // namespace glyphmere::docengine
