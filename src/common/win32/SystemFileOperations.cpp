#include "common/SafeReplace.h"

#include "common/SystemErrorText.h"
#include "common/win32/ReplaceInPlace.h"
#include "common/win32/WidePath.h"

namespace glyphmere::common {

namespace {

// A handle to a new file at path, which must not exist yet; SystemError when it cannot be made.
FileHandle createNewFile(const std::string& path, DWORD access, DWORD share)
{
    const HANDLE handle = CreateFileW(widePath(path).c_str(), access, share, nullptr, CREATE_ALWAYS,
                                      FILE_ATTRIBUTE_NORMAL | FILE_FLAG_OPEN_REPARSE_POINT, nullptr);
    if (handle == INVALID_HANDLE_VALUE)
        throw SystemError(static_cast<int>(GetLastError()));
    return FileHandle(reinterpret_cast<FileHandle::Native>(handle));
}

} // namespace

int FileOperations::renameFile(const std::string& from, const std::string& to) const
{
    try {
        return putInPlace(from, to) == PutInPlaceBy::Moving ? kMovedInPlace : 0;
    } catch (const SystemError& error) {
        SetLastError(static_cast<DWORD>(error.error()));
        return -1;
    }
}

int FileOperations::syncFile(const FileHandle& file) const { return FlushFileBuffers(handleOf(file.get())) ? 0 : -1; }

NewFileAttributes attributesToKeep(const FileStatus&) { return {}; }

void writeWholeFile(const std::string& path, const std::string& bytes)
{
    const FileHandle file = createNewFile(path, GENERIC_WRITE, FILE_SHARE_READ | FILE_SHARE_DELETE);
    file.writeAt(0, bytes.data(), bytes.size());
}

std::string readWholeFile(const std::string& path) { return readToEnd(FileHandle::openForReading(path)); }

} // namespace glyphmere::common
