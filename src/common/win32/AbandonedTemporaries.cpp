#include "common/AbandonedTemporaries.h"

#include "common/FilePath.h"
#include "common/SystemErrorText.h"
#include "common/TemporaryNames.h"
#include "common/Utf16.h"
#include "common/win32/WidePath.h"

#include <windows.h>

#include <atomic>
#include <chrono>

namespace glyphmere::common {

namespace {

// Six letters or digits that no other writer is likely to draw at the same moment.
std::string uniqueLetters()
{
    static std::atomic<std::uint64_t> counter{0};
    static const char kDigits[] = "abcdefghijklmnopqrstuvwxyz0123456789";
    std::uint64_t value = static_cast<std::uint64_t>(std::chrono::steady_clock::now().time_since_epoch().count()) ^
                          (std::uint64_t{GetCurrentProcessId()} << 32) ^ (counter++ * 0x9E3779B97F4A7C15ULL);
    std::string letters;
    for (std::size_t i = 0; i < kUniqueLength; ++i, value /= 36)
        letters += kDigits[value % 36];
    return letters;
}

// Opened without sharing, so that while it is open no other writer and no clean-up can open it: the
// owner's lock. deleteOnClose makes the file go with its handle however the process ends.
HANDLE openExclusive(const std::string& path, DWORD disposition, DWORD flags)
{
    return CreateFileW(widePath(path).c_str(), GENERIC_READ | DELETE, 0, nullptr, disposition,
                       flags | FILE_FLAG_OPEN_REPARSE_POINT, nullptr);
}

FileHandle createLockedOwner(const std::string& targetPath, std::string& ownerPath)
{
    for (int attempt = 0; attempt < kOwnerAttempts; ++attempt) {
        std::string path = ownerPathStem(targetPath) + uniqueLetters();
        const HANDLE owner = openExclusive(path, CREATE_NEW, FILE_ATTRIBUTE_HIDDEN | FILE_FLAG_DELETE_ON_CLOSE);
        if (owner != INVALID_HANDLE_VALUE) {
            ownerPath = std::move(path);
            return FileHandle(reinterpret_cast<FileHandle::Native>(owner));
        }
        if (GetLastError() != ERROR_FILE_EXISTS)
            throw SystemError(static_cast<int>(GetLastError()));
    }
    throw SystemError(ERROR_FILE_EXISTS);
}

bool removeFile(const std::string& path) { return DeleteFileW(widePath(path).c_str()) != 0; }

HiddenFilesByOwner hiddenFilesByOwner(const std::string& folder)
{
    HiddenFilesByOwner byOwner;
    WIN32_FIND_DATAW found{};
    const std::wstring pattern = widePath(folder + "/.*" + std::string(kTemporaryMarker) + "*");
    const HANDLE search = FindFirstFileExW(pattern.c_str(), FindExInfoBasic, &found, FindExSearchNameMatch, nullptr, 0);
    if (search == INVALID_HANDLE_VALUE)
        return byOwner;
    do {
        const std::u16string name(reinterpret_cast<const char16_t*>(found.cFileName));
        addHiddenFile(byOwner, utf8FromUtf16(name));
    } while (FindNextFileW(search, &found));
    FindClose(search);
    return byOwner;
}

std::size_t removeIfAbandoned(const std::string& folder, const std::string& owner,
                              const std::vector<std::string>& members)
{
    std::size_t removed = 0;
    const HANDLE ownerFile = openExclusive(folder + "/" + owner, OPEN_EXISTING, FILE_FLAG_DELETE_ON_CLOSE);
    // Held by a running writer (a sharing violation), or not ours to judge: leave everything.
    if (ownerFile == INVALID_HANDLE_VALUE && GetLastError() != ERROR_FILE_NOT_FOUND)
        return 0;
    for (const std::string& member : members)
        removed += removeFile(folder + "/" + member) ? 1 : 0;
    // Still holding the owner, so no writer can take its name until it is gone with the handle.
    if (ownerFile != INVALID_HANDLE_VALUE) {
        CloseHandle(ownerFile);
        ++removed;
    }
    return removed;
}

} // namespace

TemporaryFiles::TemporaryFiles(const std::string& targetPath)
    : m_owner(createLockedOwner(targetPath, m_ownerPath)), m_contentPath(m_ownerPath + std::string(kContentSuffix))
{
    const HANDLE content =
        CreateFileW(widePath(m_contentPath).c_str(), GENERIC_WRITE, FILE_SHARE_READ | FILE_SHARE_DELETE, nullptr,
                    CREATE_NEW, FILE_ATTRIBUTE_NORMAL, nullptr);
    if (content == INVALID_HANDLE_VALUE)
        throw SystemError(static_cast<int>(GetLastError())); // the owner goes with its handle
    CloseHandle(content);
}

// The owner was opened to be deleted on close, so it goes with m_owner, after the content.
TemporaryFiles::~TemporaryFiles()
{
    if (!m_contentRenamed)
        removeFile(m_contentPath);
}

std::size_t removeAbandonedTemporaries(const std::string& folder)
{
    std::size_t removed = 0;
    try {
        for (const auto& [owner, members] : hiddenFilesByOwner(folder))
            removed += removeIfAbandoned(folder, owner, members);
    } catch (const SystemError&) {
        // A folder whose name is no valid UTF-8 cannot be listed, so nothing is removed there.
    }
    return removed;
}

} // namespace glyphmere::common
