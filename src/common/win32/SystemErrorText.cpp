#include "common/SystemErrorText.h"

#include "common/Utf16.h"

#include <windows.h>

namespace glyphmere::common {

namespace {

// The system's own sentence, as a clause: without its full stop and line break.
std::string systemSentence(DWORD error)
{
    wchar_t* buffer = nullptr;
    const DWORD flags = FORMAT_MESSAGE_ALLOCATE_BUFFER | FORMAT_MESSAGE_FROM_SYSTEM | FORMAT_MESSAGE_IGNORE_INSERTS;
    const DWORD length = FormatMessageW(flags, nullptr, error, 0, reinterpret_cast<wchar_t*>(&buffer), 0, nullptr);
    std::u16string text(buffer ? reinterpret_cast<const char16_t*>(buffer) : u"", length);
    LocalFree(buffer);
    while (!text.empty() &&
           (text.back() == u'\r' || text.back() == u'\n' || text.back() == u' ' || text.back() == u'.'))
        text.pop_back();
    return text.empty() ? "system error " + std::to_string(error) : asClause(utf8FromUtf16(text));
}

} // namespace

std::string systemErrorText(int error)
{
    switch (static_cast<DWORD>(error)) {
    case ERROR_DISK_FULL:
    case ERROR_HANDLE_DISK_FULL:
        return "no space left on the device";
    case ERROR_WRITE_PROTECT:
        return "the file system is read-only";
    case ERROR_ACCESS_DENIED:
        return "permission denied";
    case ERROR_FILE_NOT_FOUND:
    case ERROR_PATH_NOT_FOUND:
        return "the file or its folder does not exist";
    case ERROR_SHARING_VIOLATION:
    case ERROR_LOCK_VIOLATION:
    case ERROR_USER_MAPPED_FILE:
        return "the file is open in another program";
    case ERROR_UNABLE_TO_REMOVE_REPLACED:
        return "the file is open in another program, or may not be replaced";
    case ERROR_FILENAME_EXCED_RANGE:
        return "the file name is too long";
    case ERROR_NO_UNICODE_TRANSLATION:
        return "the file name is no valid UTF-8";
    case ERROR_CRC:
    case ERROR_IO_DEVICE:
        return "an input/output error occurred";
    default:
        return systemSentence(static_cast<DWORD>(error));
    }
}

} // namespace glyphmere::common
