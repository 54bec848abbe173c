#include "docengine/fonts/win32/FontRegistry.h"

#include "common/Utf16.h"
#include "docengine/fonts/SystemFonts.h"

#include <windows.h>

namespace glyphmere::docengine {

namespace {

const wchar_t kFontsKey[] = L"Software\\Microsoft\\Windows NT\\CurrentVersion\\Fonts";

std::string utf8(const std::wstring& text) { return common::utf8FromUtf16(std::u16string(text.begin(), text.end())); }

std::wstring windowsFontFolder()
{
    wchar_t folder[MAX_PATH] = {};
    const UINT length = GetWindowsDirectoryW(folder, MAX_PATH);
    return std::wstring(folder, length < MAX_PATH ? length : 0) + L"\\Fonts\\";
}

// The file a registry value names: a full path as it is, a bare name in the Windows font folder.
std::string fontFilePath(const std::wstring& data)
{
    const bool full = data.find(L'\\') != std::wstring::npos || data.find(L':') != std::wstring::npos;
    return utf8(full ? data : windowsFontFolder() + data);
}

std::optional<FontFile> findInKey(HKEY root, const std::string& family)
{
    HKEY key = nullptr;
    if (RegOpenKeyExW(root, kFontsKey, 0, KEY_READ, &key) != ERROR_SUCCESS)
        return std::nullopt;
    std::optional<FontFile> found;
    wchar_t name[16384];
    wchar_t data[MAX_PATH * 4];
    for (DWORD index = 0; !found; ++index) {
        DWORD nameLength = static_cast<DWORD>(std::size(name));
        DWORD dataSize = sizeof data - sizeof(wchar_t);
        DWORD type = 0;
        const LONG status =
            RegEnumValueW(key, index, name, &nameLength, nullptr, &type, reinterpret_cast<BYTE*>(data), &dataSize);
        if (status == ERROR_NO_MORE_ITEMS)
            break;
        if (status != ERROR_SUCCESS || (type != REG_SZ && type != REG_EXPAND_SZ))
            continue;
        const std::vector<std::string> faces = facesOfFontEntry(utf8(std::wstring(name, nameLength)));
        for (std::size_t face = 0; face < faces.size() && !found; ++face) {
            if (sameFontName(faces[face], family))
                found = FontFile{fontFilePath(std::wstring(data, dataSize / sizeof(wchar_t)).c_str()),
                                 static_cast<std::uint32_t>(face)};
        }
    }
    RegCloseKey(key);
    return found;
}

} // namespace

std::vector<std::string> facesOfFontEntry(std::string_view valueName)
{
    const std::size_t kind = valueName.rfind(" (");
    if (kind != std::string_view::npos && valueName.ends_with(')'))
        valueName = valueName.substr(0, kind);
    std::vector<std::string> faces;
    for (std::size_t from = 0;;) {
        const std::size_t separator = valueName.find(" & ", from);
        faces.emplace_back(valueName.substr(from, separator - from));
        if (separator == std::string_view::npos)
            return faces;
        from = separator + 3;
    }
}

std::optional<FontFile> findFontFile(const std::string& family)
{
    if (std::optional<FontFile> own = findInKey(HKEY_CURRENT_USER, family))
        return own;
    return findInKey(HKEY_LOCAL_MACHINE, family);
}

} // namespace glyphmere::docengine
