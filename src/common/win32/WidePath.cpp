#include "common/win32/WidePath.h"

#include "common/SystemErrorText.h"
#include "common/Utf16.h"

#include <algorithm>
#include <optional>

namespace glyphmere::common {

namespace {

// Folders take the limit less the room of an 8.3 name, so the shorter limit holds for every path.
constexpr std::size_t kClassicPathLimit = MAX_PATH - 12;
const std::wstring kExtendedPrefix = L"\\\\?\\";
const std::wstring kExtendedUncPrefix = L"\\\\?\\UNC\\";

std::wstring wideText(const std::string& text)
{
    const std::optional<std::u16string> utf16 = utf16FromUtf8(text);
    if (!utf16)
        throw SystemError(ERROR_NO_UNICODE_TRANSLATION);
    return std::wstring(utf16->begin(), utf16->end());
}

} // namespace

std::wstring fullPath(const std::wstring& path)
{
    const DWORD needed = GetFullPathNameW(path.c_str(), 0, nullptr, nullptr);
    std::wstring full(needed, L'\0');
    const DWORD written = needed == 0 ? 0 : GetFullPathNameW(path.c_str(), needed, full.data(), nullptr);
    if (written == 0 || written >= needed)
        throw SystemError(static_cast<int>(GetLastError()));
    full.resize(written);
    return full;
}

std::wstring widePath(const std::string& path)
{
    // Our own joins use "/"; no name holds one, so it is a separator even in the extended form.
    std::wstring wide = wideText(path);
    std::replace(wide.begin(), wide.end(), L'/', L'\\');
    if (wide.size() < kClassicPathLimit || wide.starts_with(kExtendedPrefix) || wide.starts_with(L"\\\\.\\"))
        return wide;
    // The extended form is taken literally, so "." and ".." are resolved first.
    const std::wstring full = fullPath(wide);
    if (full.starts_with(L"\\\\"))
        return kExtendedUncPrefix + full.substr(2);
    return kExtendedPrefix + full;
}

std::string utf8Path(const std::wstring& path)
{
    std::wstring plain = path;
    if (path.starts_with(kExtendedUncPrefix))
        plain = L"\\\\" + path.substr(kExtendedUncPrefix.size());
    else if (path.starts_with(kExtendedPrefix))
        plain = path.substr(kExtendedPrefix.size());
    const std::wstring& chosen = plain.size() < kClassicPathLimit ? plain : path;
    return utf8FromUtf16(std::u16string(chosen.begin(), chosen.end()));
}

} // namespace glyphmere::common
