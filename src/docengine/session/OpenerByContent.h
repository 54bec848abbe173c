#pragma once

#include "docengine/document/EditableDocument.h"

namespace glyphmere::docengine {

class SaveDeferral;

// Opens document files on disk by what they hold, never by their name: every file-level check first
// (DocumentFileAccess), then a zip package as an Office Open XML document and any other compound file
// (an encrypted package is refused before) as a Word 97-2003 document.
// With a deferral, the documents' saves are kept there instead of committed.
DocumentOpener openerByContent(SaveDeferral* deferral = nullptr);

} // namespace glyphmere::docengine
