#include "docengine/session/OpenerByContent.h"

#include "docengine/files/DocumentFileAccess.h"
#include "docengine/files/EngineError.h"
#include "docengine/files/PackageMessages.h"
#include "docengine/session/OoxmlDocument.h"

namespace glyphmere::docengine {
namespace {

std::unique_ptr<EditableDocument> openByContent(const std::string& path, const UtcClock& utcNow)
{
    DocumentFileAccess access = DocumentFileAccess::open(path);
    switch (access.content()) {
    case FileContent::ZipPackage:
        return std::make_unique<OoxmlDocument>(packageFile(std::move(access)), utcNow);
    case FileContent::WordBinaryDocument:
        throw EngineError(messages::kWordBinaryDocument);
    case FileContent::EncryptedPackage:
    case FileContent::Other:
        break;
    }
    throw EngineError(messages::kNotAWordDocument); // DocumentFileAccess refuses these already
}

} // namespace

DocumentOpener openerByContent() { return openByContent; }

} // namespace glyphmere::docengine
