#pragma once

#include "platform/Automation.h"
#include "platform/FileSystem.h"
#include "word/OptionsSource.h"

#include <optional>
#include <string>

namespace glyphmere::word {

// How the restyle of one document ended. reason is empty when ok, otherwise a readable sentence
// fragment (the automation error's description) that follows the path in a report.
struct RestyleResult {
    bool ok = true;
    std::string reason;
};

// The reason to refuse path before Word is started, or nothing when it may be opened: it must be a
// regular file (a FIFO or a device is never opened) that starts as a zip package or an OLE compound file.
// The file is looked at through fileSystem, which reads a path that is not ASCII as the system names it.
std::optional<std::string> refusalBeforeOpening(platform::FileSystem& fileSystem, const std::string& path);

// Gives the whole main text of the document at path (and, with the headers-and-footers value 1, the
// current page's header and footer) the font name and size read from options, and saves it over its
// own file in its own format, in a Word instance of its own. Every call addresses the document that Word
// opened for us, never the instance's active one. Refused before anything changes: a size that is not a
// number (before Word is started), a document that Word opened read-only or converted from another format.
// The document is closed without saving what was not saved, and the instance is ended only when no other
// document is open in it (otherwise it is made visible and left running). A failing Word call is returned as
// the result, with the first failure's reason; nothing is thrown.
RestyleResult RestyleDocument(platform::Automation& automation, platform::FileSystem& fileSystem,
                              const OptionsSource& options, const std::string& path);

} // namespace glyphmere::word
