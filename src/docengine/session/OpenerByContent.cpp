#include "docengine/session/OpenerByContent.h"

#include "docengine/EngineError.h"
#include "docengine/EngineMessages.h"
#include "docengine/binary/BinaryEditableDocument.h"
#include "docengine/binary/InstalledFonts.h"
#include "docengine/files/DocumentFileAccess.h"
#include "docengine/ooxml/OoxmlEditableDocument.h"

namespace glyphmere::docengine {
namespace {

std::unique_ptr<EditableDocument> openByContent(const std::string& path, const UtcClock& utcNow, SaveDeferral* deferral)
{
    DocumentFileAccess access = DocumentFileAccess::open(path);
    if (deferral)
        access.deferSavesTo(*deferral);
    switch (access.content()) {
    case FileContent::ZipPackage:
        return std::make_unique<OoxmlEditableDocument>(packageFile(std::move(access)), utcNow);
    case FileContent::WordBinaryDocument:
        return std::make_unique<BinaryEditableDocument>(std::move(access), installedFonts());
    case FileContent::EncryptedPackage:
    case FileContent::Other:
        break;
    }
    throw EngineError(messages::kNotAWordDocument); // DocumentFileAccess refuses these already
}

} // namespace

DocumentOpener openerByContent(SaveDeferral* deferral)
{
    return
        [deferral](const std::string& path, const UtcClock& utcNow) { return openByContent(path, utcNow, deferral); };
}

} // namespace glyphmere::docengine
