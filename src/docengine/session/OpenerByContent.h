#pragma once

#include "docengine/session/EditableDocument.h"

namespace glyphmere::docengine {

// Opens document files on disk by what they hold, never by their name: every file-level check first
// (DocumentFileAccess), then a zip package as an Office Open XML document. A Word 97-2003 document is
// refused ("not supported by the built-in engine").
DocumentOpener openerByContent();

} // namespace glyphmere::docengine
