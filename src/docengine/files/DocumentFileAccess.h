#pragma once

#include "common/FileHandle.h"
#include "common/FileStatus.h"
#include "common/SafeReplace.h"
#include "docengine/files/ContentSniff.h"
#include "docengine/files/PendingSave.h"

#include <cstdint>
#include <functional>
#include <string>

namespace glyphmere::docengine {

class SaveDeferral;

// A document file opened to be changed in place, whatever its format: every check that the file allows
// it is made before anything is read, and its replacement is made safely and only while the file is as it
// was when opened. Failures are EngineErrors with the reason.
class DocumentFileAccess {
public:
    // Opens the file at path: a regular file (opened without blocking), holding a zip package or a Word
    // 97-2003 document by its content (anything else is not a Word document; an encrypted package is
    // password-protected), that the user may replace (not read-only, nor on a read-only file system, in a
    // folder that allows it), and that no other program holds open (lock files beside the path as given
    // and beside a link's target). The safe replacement's system calls go through fileOperations, which
    // must outlive the access: how tests make a rename or a flush fail.
    static DocumentFileAccess open(const std::string& path,
                                   const common::FileOperations& fileOperations = common::systemFileOperations());

    // The path as given.
    const std::string& path() const { return m_path; }
    FileContent content() const { return m_content; }
    // The open file; it stays the access's own (duplicate it to hand it on).
    const common::FileHandle& file() const { return m_file; }
    // The file's whole bytes; "the document is too large" past kLargestWholeRead, the same bound a
    // package's reads have in all, so no file can make the engine hold more than that at once.
    std::string readAll() const;
    static constexpr std::uint64_t kLargestWholeRead = std::uint64_t{1} << 30;

    // Replaces the file with the one that writeTemporary writes at the path it is given (see
    // common::replaceFileSafely): refused when the file changed on disk since it was opened or is now
    // read-only; the target of a link is replaced, never the link. Returns a read handle of the new
    // file; the access itself still describes the old one until adopt(). On any failure the file is left
    // exactly as it was. When the saves are deferred (deferSavesTo), the new file is only written: its
    // commit is left to the deferral's owner, and the file on disk stays as it was until then.
    // checkWritten, when given, is called with a read handle of the written file right before the
    // commit (so on the thread that commits, without the access): what it throws refuses the save.
    common::FileHandle replaceWith(const std::function<void(const std::string&)>& writeTemporary,
                                   PendingSave::WrittenCheck checkWritten = {}) const;
    // Follows the written file from now on, so that a further save checks against it. False, with nothing
    // changed, when it cannot be examined: a further save is then refused as a change on disk.
    bool adopt(common::FileHandle written);
    // replaceWith() with bytes as the new content, then adopt().
    void replaceWithBytes(const std::string& bytes);
    // From now on every replacement is kept in deferral (which must outlive the access) instead of committed.
    void deferSavesTo(SaveDeferral& deferral) { m_deferral = &deferral; }

private:
    DocumentFileAccess(std::string path, const common::FileOperations& fileOperations);

    std::string m_path;
    const common::FileOperations* m_fileOperations;
    common::FileHandle m_file;
    // The file as it was when opened (or last saved): a replacement is refused when it no longer matches.
    common::FileStatus m_status;
    FileContent m_content = FileContent::Other;
    SaveDeferral* m_deferral = nullptr;
};

} // namespace glyphmere::docengine
