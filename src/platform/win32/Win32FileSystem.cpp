#include "platform/win32/Win32FileSystem.h"

#include "platform/win32/Win32Text.h"

#include "common/SystemErrorText.h"

#include <windows.h>

#include <algorithm>

namespace glyphmere::platform::win32 {
namespace {

// A folder's path may use up to MAX_PATH less room for an 8.3 name before it needs the extended form.
constexpr std::size_t kClassicPathLimit = MAX_PATH - 12;

constexpr DWORD kReportedAttributes = FILE_ATTRIBUTE_READONLY | FILE_ATTRIBUTE_HIDDEN | FILE_ATTRIBUTE_SYSTEM |
                                      FILE_ATTRIBUTE_DIRECTORY | FILE_ATTRIBUTE_ARCHIVE;
// The attributes that a listing's mask must admit for an entry to be listed.
constexpr DWORD kSelectingAttributes = FILE_ATTRIBUTE_HIDDEN | FILE_ATTRIBUTE_SYSTEM | FILE_ATTRIBUTE_DIRECTORY;

bool startsWith(std::wstring_view text, std::wstring_view prefix) { return text.substr(0, prefix.size()) == prefix; }

// Ends a directory listing when it goes.
class FindHandle {
public:
    explicit FindHandle(HANDLE handle) : m_handle(handle) {}
    FindHandle(const FindHandle&) = delete;
    FindHandle& operator=(const FindHandle&) = delete;
    ~FindHandle() { FindClose(m_handle); }

private:
    HANDLE m_handle;
};

bool isListed(const WIN32_FIND_DATAW& entry, unsigned attributeMask)
{
    const std::wstring_view name = entry.cFileName;
    if (name == L"." || name == L".." || (entry.dwFileAttributes & FILE_ATTRIBUTE_DEVICE))
        return false;
    return (entry.dwFileAttributes & kSelectingAttributes & ~static_cast<DWORD>(attributeMask)) == 0;
}

// As NTFS orders a folder: by the names' upper-case forms, code unit by code unit.
bool listedBefore(const std::wstring& a, const std::wstring& b)
{
    const int order = CompareStringOrdinal(a.c_str(), -1, b.c_str(), -1, TRUE);
    return order == CSTR_EQUAL ? a < b : order == CSTR_LESS_THAN;
}

std::vector<std::string> sortedNames(std::vector<std::wstring> names)
{
    std::sort(names.begin(), names.end(), listedBefore);
    std::vector<std::string> sorted;
    sorted.reserve(names.size());
    for (const std::wstring& name : names)
        sorted.push_back(narrow(name));
    return sorted;
}

std::string withSeparator(const std::string& folder)
{
    if (folder.empty() || folder.back() == '\\' || folder.back() == '/')
        return folder;
    return folder + '\\';
}

// What a path leads to, through an open handle: a link is followed to its target. Opening without
// access rights reads only the metadata and never conflicts with other openers.
std::optional<BY_HANDLE_FILE_INFORMATION> openedInformation(const std::wstring& path)
{
    HANDLE file = CreateFileW(path.c_str(), 0, FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE, nullptr,
                              OPEN_EXISTING, FILE_FLAG_BACKUP_SEMANTICS, nullptr);
    if (file == INVALID_HANDLE_VALUE)
        return std::nullopt;
    BY_HANDLE_FILE_INFORMATION information{};
    const BOOL read = GetFileInformationByHandle(file, &information);
    CloseHandle(file);
    if (!read)
        return std::nullopt;
    return information;
}

// The attributes and times of what a path leads to: a link is followed to its target.
std::optional<WIN32_FILE_ATTRIBUTE_DATA> followedAttributes(const std::wstring& path)
{
    WIN32_FILE_ATTRIBUTE_DATA data{};
    if (!GetFileAttributesExW(path.c_str(), GetFileExInfoStandard, &data))
        return std::nullopt;
    if (!(data.dwFileAttributes & FILE_ATTRIBUTE_REPARSE_POINT))
        return data;
    const auto target = openedInformation(path);
    if (!target)
        return std::nullopt;
    data.dwFileAttributes = target->dwFileAttributes;
    data.ftLastWriteTime = target->ftLastWriteTime;
    return data;
}

std::int64_t secondsSinceEpoch(const FILETIME& time)
{
    // FILETIME counts 100-nanosecond steps since 1601-01-01.
    constexpr std::int64_t kStepsPerSecond = 10'000'000;
    constexpr std::int64_t kEpochInSteps = 116'444'736'000'000'000;
    const auto steps =
        static_cast<std::int64_t>((static_cast<std::uint64_t>(time.dwHighDateTime) << 32) | time.dwLowDateTime) -
        kEpochInSteps;
    const std::int64_t seconds = steps / kStepsPerSecond;
    return (steps % kStepsPerSecond < 0) ? seconds - 1 : seconds;
}

// Closes a file handle when it goes.
class FileHandle {
public:
    explicit FileHandle(HANDLE handle) : m_handle(handle) {}
    FileHandle(const FileHandle&) = delete;
    FileHandle& operator=(const FileHandle&) = delete;
    ~FileHandle()
    {
        if (m_handle != INVALID_HANDLE_VALUE)
            CloseHandle(m_handle);
    }
    HANDLE get() const { return m_handle; }

private:
    HANDLE m_handle;
};

bool isMissingError(DWORD error)
{
    return error == ERROR_FILE_NOT_FOUND || error == ERROR_PATH_NOT_FOUND || error == ERROR_INVALID_NAME ||
           error == ERROR_BAD_NETPATH;
}

} // namespace

std::wstring extendedPath(const std::string& path, std::size_t reserve)
{
    const std::wstring wide = widen(path);
    if (wide.size() + reserve < kClassicPathLimit || startsWith(wide, L"\\\\?\\") || startsWith(wide, L"\\\\.\\"))
        return wide;
    // The extended form is taken literally, so "/", "." and ".." must be resolved first.
    const DWORD needed = GetFullPathNameW(wide.c_str(), 0, nullptr, nullptr);
    if (needed == 0)
        return wide;
    std::wstring full(needed, L'\0');
    const DWORD written = GetFullPathNameW(wide.c_str(), needed, full.data(), nullptr);
    if (written == 0 || written >= needed)
        return wide;
    full.resize(written);
    if (startsWith(full, L"\\\\"))
        return L"\\\\?\\UNC\\" + full.substr(2);
    return L"\\\\?\\" + full;
}

std::optional<std::vector<std::string>> Win32FileSystem::listDirectory(const std::string& folder,
                                                                       const std::string& pattern,
                                                                       unsigned attributeMask)
{
    // A name never holds a separator, so such a pattern matches nothing (and must not list another folder).
    if (pattern.find_first_of("\\/") != std::string::npos)
        return std::vector<std::string>{};
    const std::wstring wildcard = widen(pattern.empty() ? "*" : pattern);
    const std::wstring search = extendedPath(withSeparator(folder), wildcard.size()) + wildcard;
    WIN32_FIND_DATAW entry{};
    HANDLE find = FindFirstFileExW(search.c_str(), FindExInfoBasic, &entry, FindExSearchNameMatch, nullptr,
                                   FIND_FIRST_EX_LARGE_FETCH);
    if (find == INVALID_HANDLE_VALUE) {
        // No match at all is an empty listing, as long as the folder itself is there.
        const bool noMatch = GetLastError() == ERROR_FILE_NOT_FOUND;
        if (noMatch && (attributes(folder).value_or(0) & FileAttribute::Directory))
            return std::vector<std::string>{};
        return std::nullopt;
    }
    const FindHandle listing(find);
    std::vector<std::wstring> names;
    do {
        if (isListed(entry, attributeMask))
            names.emplace_back(entry.cFileName);
    } while (FindNextFileW(find, &entry));
    if (GetLastError() != ERROR_NO_MORE_FILES)
        return std::nullopt;
    return sortedNames(std::move(names));
}

std::optional<unsigned> Win32FileSystem::attributes(const std::string& path)
{
    const auto data = followedAttributes(extendedPath(path));
    if (!data)
        return std::nullopt;
    return static_cast<unsigned>(data->dwFileAttributes & kReportedAttributes);
}

std::optional<FolderIdentity> Win32FileSystem::folderIdentity(const std::string& path)
{
    const auto information = openedInformation(extendedPath(path));
    if (!information)
        return std::nullopt;
    const std::uint64_t index =
        (static_cast<std::uint64_t>(information->nFileIndexHigh) << 32) | information->nFileIndexLow;
    return FolderIdentity{information->dwVolumeSerialNumber, index};
}

std::optional<std::int64_t> Win32FileSystem::lastChangeTime(const std::string& path)
{
    const auto data = followedAttributes(extendedPath(path));
    if (!data)
        return std::nullopt;
    return secondsSinceEpoch(data->ftLastWriteTime);
}

PathStatus Win32FileSystem::pathStatus(const std::string& path)
{
    const auto data = followedAttributes(extendedPath(path));
    if (!data) {
        const DWORD error = GetLastError();
        if (isMissingError(error))
            return {PathKind::Missing, {}};
        return {PathKind::Unexaminable, systemMessage(error)};
    }
    if (data->dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY)
        return {PathKind::Folder, {}};
    if (data->dwFileAttributes & FILE_ATTRIBUTE_DEVICE)
        return {PathKind::Other, {}};
    return {PathKind::RegularFile, {}};
}

FileStart Win32FileSystem::firstBytes(const std::string& path, std::size_t count)
{
    // Shared with every other opener, so a document that Word holds open can still be looked at.
    const FileHandle file(CreateFileW(extendedPath(path).c_str(), GENERIC_READ,
                                      FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE, nullptr, OPEN_EXISTING,
                                      FILE_ATTRIBUTE_NORMAL, nullptr));
    if (file.get() == INVALID_HANDLE_VALUE)
        return {std::nullopt, common::systemErrorText(static_cast<int>(GetLastError()))};
    if (GetFileType(file.get()) != FILE_TYPE_DISK)
        return {};
    std::string bytes(count, '\0');
    std::size_t filled = 0;
    while (filled < count) {
        DWORD got = 0;
        const auto wanted = static_cast<DWORD>(std::min<std::size_t>(count - filled, 1U << 20));
        if (!ReadFile(file.get(), bytes.data() + filled, wanted, &got, nullptr))
            return {std::nullopt, common::systemErrorText(static_cast<int>(GetLastError()))};
        if (got == 0)
            break;
        filled += got;
    }
    bytes.resize(filled);
    return {std::move(bytes), {}};
}

} // namespace glyphmere::platform::win32
