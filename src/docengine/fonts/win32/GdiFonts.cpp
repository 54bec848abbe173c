#include "docengine/fonts/SystemFonts.h"

#include "common/Utf16.h"
#include "docengine/fonts/win32/FontRegistry.h"

#include <windows.h>

#include <memory>
#include <set>

namespace glyphmere::docengine {

namespace {

std::wstring wide(const std::string& text)
{
    const std::u16string utf16 = common::utf16FromUtf8(text).value_or(u"");
    return std::wstring(utf16.begin(), utf16.end());
}

std::string utf8(const wchar_t* text)
{
    return common::utf8FromUtf16(std::u16string_view(reinterpret_cast<const char16_t*>(text)));
}

struct DeviceContextDeleter {
    void operator()(HDC context) const { DeleteDC(context); }
};
using DeviceContext = std::unique_ptr<std::remove_pointer_t<HDC>, DeviceContextDeleter>;

// What GDI says of each family it lists for the face name asked (every family for an empty name).
struct ListedFamily {
    std::string name;
    bool fixedPitch = false;
    std::uint16_t weight = 400;
};

int CALLBACK collectFamily(const LOGFONTW* font, const TEXTMETRICW* metrics, DWORD, LPARAM listed)
{
    // TMPF_FIXED_PITCH set means a variable pitch, as GDI has always had it.
    const bool fixed = (metrics->tmPitchAndFamily & TMPF_FIXED_PITCH) == 0;
    reinterpret_cast<std::vector<ListedFamily>*>(listed)->push_back(
        {utf8(font->lfFaceName), fixed, static_cast<std::uint16_t>(metrics->tmWeight)});
    return 1;
}

std::vector<ListedFamily> listFamilies(const std::wstring& faceName)
{
    std::vector<ListedFamily> listed;
    const DeviceContext context(CreateCompatibleDC(nullptr));
    if (!context || faceName.size() >= LF_FACESIZE)
        return listed;
    LOGFONTW wanted{};
    wanted.lfCharSet = DEFAULT_CHARSET;
    faceName.copy(wanted.lfFaceName, faceName.size());
    EnumFontFamiliesExW(context.get(), &wanted, collectFamily, reinterpret_cast<LPARAM>(&listed), 0);
    return listed;
}

} // namespace

std::vector<std::vector<LocalizedFamily>> installedFamilies()
{
    std::vector<std::vector<LocalizedFamily>> families;
    std::set<std::string> seen; // GDI lists a family once for each of its character sets
    for (const ListedFamily& family : listFamilies(L"")) {
        if (seen.insert(family.name).second)
            families.push_back({{family.name, ""}});
    }
    return families;
}

std::optional<InstalledFace> findInstalledFace(const std::string& family)
{
    for (const ListedFamily& listed : listFamilies(wide(family))) {
        if (!sameFontName(listed.name, family))
            continue;
        InstalledFace face;
        face.family = listed.name;
        face.fixedPitch = listed.fixedPitch;
        face.weight = listed.weight;
        if (const std::optional<FontFile> file = findFontFile(listed.name)) {
            face.filePath = file->path;
            face.faceIndex = file->faceIndex;
        }
        return face;
    }
    return std::nullopt;
}

bool sameFontName(const std::string& a, const std::string& b)
{
    const std::wstring wideA = wide(a);
    const std::wstring wideB = wide(b);
    return CompareStringOrdinal(wideA.c_str(), static_cast<int>(wideA.size()), wideB.c_str(),
                                static_cast<int>(wideB.size()), TRUE) == CSTR_EQUAL;
}

} // namespace glyphmere::docengine
