#include "common/win32/ReplaceInPlace.h"

#include "common/SystemErrorText.h"
#include "common/win32/WidePath.h"

#include <windows.h>

namespace glyphmere::common {

namespace {

// The failures of ReplaceFileW that say it cannot be used here, not that the target refuses a change: the
// target is missing, or its file system cannot replace.
bool replacingUnsupported(DWORD error)
{
    return error == ERROR_FILE_NOT_FOUND || error == ERROR_INVALID_FUNCTION || error == ERROR_NOT_SUPPORTED ||
           error == ERROR_INVALID_PARAMETER || error == ERROR_CALL_NOT_IMPLEMENTED;
}

// The attributes a file may be given (the others, such as compression, come with the file itself).
constexpr DWORD kSettableAttributes = FILE_ATTRIBUTE_ARCHIVE | FILE_ATTRIBUTE_HIDDEN |
                                      FILE_ATTRIBUTE_NOT_CONTENT_INDEXED | FILE_ATTRIBUTE_OFFLINE |
                                      FILE_ATTRIBUTE_READONLY | FILE_ATTRIBUTE_SYSTEM | FILE_ATTRIBUTE_TEMPORARY;

// ReplaceFileW passes the target's attributes on; not every implementation does (Wine, some file
// servers), and moving never does, so the document keeps them here whichever way it was put in place.
void restoreAttributes(const std::wstring& target, DWORD kept)
{
    if (kept == INVALID_FILE_ATTRIBUTES)
        return;
    const DWORD now = GetFileAttributesW(target.c_str());
    if (now != INVALID_FILE_ATTRIBUTES && (now & kSettableAttributes) != (kept & kSettableAttributes))
        SetFileAttributesW(target.c_str(), kept & kSettableAttributes);
}

// A program that holds the target without letting others delete it makes ReplaceFileW fail half-way (some
// implementations leave a file of their own behind): asked first, it is refused cleanly.
void refuseWhenHeldElsewhere(const std::wstring& target)
{
    const HANDLE probe = CreateFileW(target.c_str(), DELETE, FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE,
                                     nullptr, OPEN_EXISTING, FILE_FLAG_OPEN_REPARSE_POINT, nullptr);
    if (probe != INVALID_HANDLE_VALUE)
        CloseHandle(probe);
    else if (GetLastError() == ERROR_SHARING_VIOLATION)
        throw SystemError(ERROR_SHARING_VIOLATION);
}

} // namespace

PutInPlaceBy putInPlace(const std::string& from, const std::string& to)
{
    // Absolute paths: a name without its folder (a report named "run.json") makes Wine's ReplaceFileW fail
    // with ERROR_DIRECTORY, which would refuse the replacement of every such file.
    const std::wstring source = fullPath(widePath(from));
    const std::wstring target = fullPath(widePath(to));
    refuseWhenHeldElsewhere(target);
    const DWORD kept = GetFileAttributesW(target.c_str());
    PutInPlaceBy by = PutInPlaceBy::Replacing;
    if (!ReplaceFileW(target.c_str(), source.c_str(), nullptr, REPLACEFILE_IGNORE_MERGE_ERRORS, nullptr, nullptr)) {
        const DWORD error = GetLastError();
        if (!replacingUnsupported(error))
            throw SystemError(static_cast<int>(error));
        if (!MoveFileExW(source.c_str(), target.c_str(), MOVEFILE_REPLACE_EXISTING | MOVEFILE_WRITE_THROUGH))
            throw SystemError(static_cast<int>(GetLastError()));
        by = PutInPlaceBy::Moving;
    }
    restoreAttributes(target, kept);
    return by;
}

} // namespace glyphmere::common
