#pragma once

#include "docengine/ooxml/WordprocessingDocument.h"

#include <functional>
#include <map>
#include <memory>
#include <string>

namespace glyphmere::docengine {

class DocumentFileAccess;

// A package file opened by the engine: where its parts come from and how it is written back.
class PackageFile {
public:
    virtual ~PackageFile() = default;
    virtual const std::string& path() const = 0;
    virtual const PartSource& parts() const = 0;
    // Writes the file back with the given parts replaced; EngineError on failure (the file unchanged).
    virtual void saveReplacing(const std::map<std::string, std::string>& replaced) = 0;
};

// Opens a package file; EngineError with the reason when it cannot be opened.
using PackageFileOpener = std::function<std::unique_ptr<PackageFile>(const std::string& path)>;

// The zip package in a file opened with every file-level check (ZipPackage::open).
std::unique_ptr<PackageFile> packageFile(DocumentFileAccess access);

} // namespace glyphmere::docengine
