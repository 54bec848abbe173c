#pragma once

#include <string>

namespace glyphmere::docengine::messages {

// The reasons the package layer gives, as the user reads them after the document's path.
inline constexpr const char* kNotAWordDocument = "not a Word document";
inline constexpr const char* kPasswordProtected = "the document is password-protected";
inline constexpr const char* kNotAPackage = "not an Office Open XML package";
inline constexpr const char* kWordBinaryStyles =
    "the styles of Word 97-2003 documents (.doc) are not changed by the built-in engine; restyle it "
    "without the styles option, or save it as .docx first";
inline constexpr const char* kReadOnly = "the document is read-only";
inline constexpr const char* kOldWordVersion = "Word 6/95 documents are not supported; save it in a newer format first";
inline constexpr const char* kRightsManaged =
    "the document is protected by rights management, which the built-in engine cannot open";
inline constexpr const char* kAutoTextOnly =
    "the document holds only AutoText entries, which have no text of their own to restyle";
inline constexpr const char* kDigitallySigned =
    "the document is digitally signed, and changing it would break its signatures";
inline constexpr const char* kProtectedAgainstEditing = "the document is protected against editing";
inline constexpr const char* kTracksChanges =
    "the document tracks changes, and Word would record the new font as a revision, which the built-in "
    "engine does not do for Word 97-2003 documents";
inline constexpr const char* kPieceFormatting =
    "the document holds formatting from a fast save that would override the new font; save it once more "
    "with fast saves turned off first";
inline constexpr const char* kReadOnlyFileSystem = "the document is read-only (it is on a read-only file system)";
inline constexpr const char* kFolderReadOnly =
    "the document's folder is read-only, so the document cannot be replaced by its saved version";
inline constexpr const char* kTooLarge = "the document is too large";
inline constexpr const char* kEncryptedEntries =
    "the document's package holds encrypted entries, which the built-in engine cannot read";
inline constexpr const char* kChangedOnDisk = "the document was changed by another program while it was open";

inline std::string damaged(const std::string& detail) { return "the document's package is damaged (" + detail + ")"; }

// A Word 97-2003 document is no package: its damage is named after the structure found wrong.
inline std::string damagedStructure(const std::string& detail)
{
    return "the document's structure is damaged (" + detail + ")";
}

inline std::string noPart(const std::string& name)
{
    return "the document's package has no part named \"" + name + "\"";
}

inline std::string lockedBy(const std::string& lockFileName)
{
    return "the document is open in another program (lock file " + lockFileName +
           "); close it there, or delete the lock file if no program has it open";
}

inline std::string cannotOpen(const std::string& detail) { return "the document cannot be opened: " + detail; }

inline std::string cannotSave(const std::string& detail) { return "the document could not be saved: " + detail; }

} // namespace glyphmere::docengine::messages
