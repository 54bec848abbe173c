#include "EngineTestFolder.h"

#include "common/Utf16.h"

#include <algorithm>
#include <set>
#include <vector>

namespace glyphmere::engine_win32_test {

namespace {

std::wstring wide(const std::string& text)
{
    const std::u16string utf16 = common::utf16FromUtf8(text).value();
    return std::wstring(utf16.begin(), utf16.end());
}

std::string utf8(const std::wstring& text) { return common::utf8FromUtf16(std::u16string(text.begin(), text.end())); }

void removeTree(const std::wstring& folder)
{
    WIN32_FIND_DATAW found{};
    const HANDLE search = FindFirstFileW((folder + L"\\*").c_str(), &found);
    if (search != INVALID_HANDLE_VALUE) {
        do {
            const std::wstring name = found.cFileName;
            if (name == L"." || name == L"..")
                continue;
            const std::wstring path = folder + L"\\" + name;
            SetFileAttributesW(path.c_str(), FILE_ATTRIBUTE_NORMAL);
            if (found.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY)
                removeTree(path);
            else
                DeleteFileW(path.c_str());
        } while (FindNextFileW(search, &found));
        FindClose(search);
    }
    RemoveDirectoryW(folder.c_str());
}

} // namespace

std::wstring wideExtended(const std::string& path)
{
    std::wstring full(32768, L'\0');
    const DWORD length = GetFullPathNameW(wide(path).c_str(), static_cast<DWORD>(full.size()), full.data(), nullptr);
    full.resize(length);
    return full.starts_with(L"\\\\?\\") ? full : L"\\\\?\\" + full;
}

EngineTestFolder::EngineTestFolder()
{
    wchar_t temporary[MAX_PATH + 1] = {};
    GetTempPathW(MAX_PATH + 1, temporary);
    static int count = 0;
    m_root = utf8(temporary) + "glyphmere engine \xC3\xA9\xE6\x96\x87 " + std::to_string(GetCurrentProcessId()) + "-" +
             std::to_string(++count);
    CreateDirectoryW(wideExtended(m_root).c_str(), nullptr);
}

EngineTestFolder::~EngineTestFolder() { removeTree(wideExtended(m_root)); }

std::string EngineTestFolder::listing() const
{
    std::set<std::string> names;
    WIN32_FIND_DATAW found{};
    const HANDLE search = FindFirstFileW((wideExtended(m_root) + L"\\*").c_str(), &found);
    if (search != INVALID_HANDLE_VALUE) {
        do {
            const std::wstring name = found.cFileName;
            if (name != L"." && name != L"..")
                names.insert(utf8(name));
        } while (FindNextFileW(search, &found));
        FindClose(search);
    }
    std::string text;
    for (const std::string& name : names)
        text += (text.empty() ? "" : "|") + name;
    return text;
}

void writeFile(const std::string& path, const std::string& bytes)
{
    const HANDLE file = CreateFileW(wideExtended(path).c_str(), GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS,
                                    FILE_ATTRIBUTE_NORMAL, nullptr);
    DWORD written = 0;
    if (file != INVALID_HANDLE_VALUE) {
        WriteFile(file, bytes.data(), static_cast<DWORD>(bytes.size()), &written, nullptr);
        CloseHandle(file);
    }
}

std::optional<std::string> readFile(const std::string& path)
{
    const HANDLE file = CreateFileW(wideExtended(path).c_str(), GENERIC_READ, FILE_SHARE_READ | FILE_SHARE_WRITE,
                                    nullptr, OPEN_EXISTING, FILE_ATTRIBUTE_NORMAL, nullptr);
    if (file == INVALID_HANDLE_VALUE)
        return std::nullopt;
    std::string bytes;
    char buffer[4096];
    DWORD got = 0;
    while (ReadFile(file, buffer, sizeof buffer, &got, nullptr) && got > 0)
        bytes.append(buffer, got);
    CloseHandle(file);
    return bytes;
}

HeldOpen::HeldOpen(const std::string& path, DWORD access, DWORD share)
    : m_handle(CreateFileW(wideExtended(path).c_str(), access, share, nullptr, OPEN_EXISTING, FILE_ATTRIBUTE_NORMAL,
                           nullptr))
{
}

HeldOpen::~HeldOpen()
{
    if (valid())
        CloseHandle(m_handle);
}

} // namespace glyphmere::engine_win32_test
