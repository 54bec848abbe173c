#include "support/win32/WindowsFiles.h"

#include "common/Utf16.h"

#include <atomic>

namespace glyphmere::testing_support {

namespace {

constexpr DWORD kShareAll = FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE;

} // namespace

std::wstring wideText(const std::string& text)
{
    const std::u16string utf16 = common::utf16FromUtf8(text).value();
    return std::wstring(utf16.begin(), utf16.end());
}

std::string utf8Text(const std::wstring& text)
{
    return common::utf8FromUtf16(std::u16string(text.begin(), text.end()));
}

std::wstring wideExtended(const std::string& path)
{
    std::wstring full(32768, L'\0');
    const DWORD length =
        GetFullPathNameW(wideText(path).c_str(), static_cast<DWORD>(full.size()), full.data(), nullptr);
    full.resize(length);
    return full.starts_with(L"\\\\?\\") ? full : L"\\\\?\\" + full;
}

std::optional<std::string> readWholeFile(const std::wstring& path)
{
    const HANDLE file =
        CreateFileW(path.c_str(), GENERIC_READ, kShareAll, nullptr, OPEN_EXISTING, FILE_ATTRIBUTE_NORMAL, nullptr);
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

bool writeWholeFile(const std::wstring& path, const std::string& bytes)
{
    // Opened and cut rather than created anew, so that an existing file keeps its attributes (and a hidden
    // one may be written at all), and sharing everything, as a file written in place on POSIX: a program that
    // holds the file open does not keep the test out.
    const HANDLE file =
        CreateFileW(path.c_str(), GENERIC_WRITE, kShareAll, nullptr, OPEN_ALWAYS, FILE_ATTRIBUTE_NORMAL, nullptr);
    if (file == INVALID_HANDLE_VALUE)
        return false;
    DWORD written = 0;
    const bool complete = WriteFile(file, bytes.data(), static_cast<DWORD>(bytes.size()), &written, nullptr) &&
                          written == bytes.size() && SetEndOfFile(file);
    return CloseHandle(file) && complete;
}

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
    SetFileAttributesW(folder.c_str(), FILE_ATTRIBUTE_NORMAL);
    RemoveDirectoryW(folder.c_str());
}

std::optional<std::string> makeTemporaryFolder(const std::string& prefix)
{
    static std::atomic<int> count = 0;
    wchar_t temporary[MAX_PATH + 1] = {};
    GetTempPathW(MAX_PATH + 1, temporary);
    const std::string start = utf8Text(temporary) + prefix + std::to_string(GetCurrentProcessId()) + "-";
    for (int attempt = 0; attempt < 100; ++attempt) {
        const std::string path = start + std::to_string(++count);
        if (CreateDirectoryW(wideExtended(path).c_str(), nullptr))
            return path;
    }
    return std::nullopt;
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

} // namespace glyphmere::testing_support
