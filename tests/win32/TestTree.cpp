#include "TestTree.h"

#include "StandInSupport.h"
#include "TinyCheck.h"
#include "platform/win32/Win32Text.h"

namespace glyphmere::platform::win32::test {

std::wstring wideWithPrefix(const std::string& path) { return L"\\\\?\\" + widen(path); }

void removeTree(const std::wstring& path)
{
    WIN32_FIND_DATAW entry;
    HANDLE find = FindFirstFileW((path + L"\\*").c_str(), &entry);
    if (find != INVALID_HANDLE_VALUE) {
        do {
            const std::wstring name = entry.cFileName;
            const std::wstring child = path + L"\\" + name;
            if (name == L"." || name == L"..")
                continue;
            SetFileAttributesW(child.c_str(), FILE_ATTRIBUTE_NORMAL);
            if (entry.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY)
                removeTree(child);
            else
                DeleteFileW(child.c_str());
        } while (FindNextFileW(find, &entry));
        FindClose(find);
    }
    SetFileAttributesW(path.c_str(), FILE_ATTRIBUTE_NORMAL);
    RemoveDirectoryW(path.c_str());
}

TemporaryTree::TemporaryTree()
{
    wchar_t temporary[MAX_PATH];
    GetTempPathW(MAX_PATH, temporary);
    m_root = narrow(temporary) + "glyphmere-test-" + std::to_string(GetCurrentProcessId()) + "-" +
             std::to_string(GetTickCount64());
    CreateDirectoryW(wideWithPrefix(m_root).c_str(), nullptr);
}

TemporaryTree::~TemporaryTree() { removeTree(wideWithPrefix(m_root)); }

void TemporaryTree::folder(const std::string& relative, DWORD attributes) const
{
    CHECK(CreateDirectoryW(wideWithPrefix(path(relative)).c_str(), nullptr));
    if (attributes)
        CHECK(SetFileAttributesW(wideWithPrefix(path(relative)).c_str(), attributes | FILE_ATTRIBUTE_DIRECTORY));
}

void TemporaryTree::file(const std::string& relative, DWORD attributes) const
{
    HANDLE handle =
        CreateFileW(wideWithPrefix(path(relative)).c_str(), GENERIC_WRITE, 0, nullptr, CREATE_NEW, attributes, nullptr);
    CHECK(handle != INVALID_HANDLE_VALUE);
    CloseHandle(handle);
}

void TemporaryTree::write(const std::string& fullPath, const std::string& bytes)
{
    HANDLE handle = CreateFileW(wideWithPrefix(fullPath).c_str(), GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS,
                                FILE_ATTRIBUTE_NORMAL, nullptr);
    CHECK(handle != INVALID_HANDLE_VALUE);
    DWORD written = 0;
    CHECK(WriteFile(handle, bytes.data(), static_cast<DWORD>(bytes.size()), &written, nullptr));
    CloseHandle(handle);
}

std::optional<std::string> TemporaryTree::read(const std::string& fullPath)
{
    return standin::readWholeFile(wideWithPrefix(fullPath));
}

} // namespace glyphmere::platform::win32::test
