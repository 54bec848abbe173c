#include "platform/win32/RegistrySettingsStore.h"
#include "platform/win32/Win32FileSystem.h"
#include "platform/win32/Win32Shell.h"
#include "platform/win32/Win32Text.h"

#include "TestTree.h"
#include "TinyCheck.h"

#include <windows.h>

#include <functional>

using glyphmere::platform::FileStart;
using glyphmere::platform::FolderIdentity;
namespace FileAttribute = glyphmere::platform::FileAttribute;
using namespace glyphmere::platform::win32;
using namespace glyphmere::platform::win32::test;

namespace {

const std::string kGerman = "Gr\xC3\xB6\xC3\x9F"
                            "e";
const std::string kSection = "Glyphmere";

// An application name of its own under the settings root, removed with everything below it at the end.
class TestApplicationKey {
public:
    TestApplicationKey() : m_app("Glyphmere Test " + std::to_string(GetCurrentProcessId())) {}
    TestApplicationKey(const TestApplicationKey&) = delete;
    TestApplicationKey& operator=(const TestApplicationKey&) = delete;
    ~TestApplicationKey()
    {
        const std::wstring path = widen("Software\\VB and VBA Program Settings\\" + m_app);
        RegDeleteTreeW(HKEY_CURRENT_USER, path.c_str());
        RegDeleteKeyW(HKEY_CURRENT_USER, path.c_str());
    }
    const std::string& app() const { return m_app; }
    std::wstring sectionPath() const { return widen(settingsKeyPath(m_app, kSection)); }

private:
    std::string m_app;
};

void writeRawValue(const std::wstring& keyPath, const wchar_t* name, DWORD type, const void* data, DWORD bytes)
{
    HKEY key = nullptr;
    CHECK_EQ(RegCreateKeyExW(HKEY_CURRENT_USER, keyPath.c_str(), 0, nullptr, 0, KEY_SET_VALUE, nullptr, &key, nullptr),
             ERROR_SUCCESS);
    CHECK_EQ(RegSetValueExW(key, name, 0, type, static_cast<const BYTE*>(data), bytes), ERROR_SUCCESS);
    RegCloseKey(key);
}

// The tree that the listing tests share: ordinary, hidden and system files and folders.
void fillListingTree(const TemporaryTree& tree)
{
    for (const char* name : {"A.DOC", "b.doc", "c.txt", "~$tmp.doc"})
        tree.file(name);
    tree.file(kGerman + ".doc");
    tree.file("hidden.doc", FILE_ATTRIBUTE_HIDDEN);
    tree.file("sys.doc", FILE_ATTRIBUTE_SYSTEM);
    tree.folder("old.doc");
    tree.folder("sub");
    tree.folder("hid", FILE_ATTRIBUTE_HIDDEN);
}

using Names = std::vector<std::string>;

} // namespace

TEST_CASE(Setting_IsStoredAsTextUnderTheClassicKeyAndReadBack)
{
    TestApplicationKey key;
    RegistrySettingsStore store;
    CHECK_EQ(store.saveSetting(key.app(), kSection, "Combo1", kGerman), std::optional<std::string>());
    CHECK_EQ(store.getSetting(key.app(), kSection, "Combo1", "Arial"), kGerman);
    wchar_t stored[64] = {};
    DWORD bytes = sizeof stored;
    DWORD type = 0;
    CHECK_EQ(RegGetValueW(HKEY_CURRENT_USER, key.sectionPath().c_str(), L"Combo1", RRF_RT_ANY, &type, stored, &bytes),
             ERROR_SUCCESS);
    CHECK_EQ(type, static_cast<DWORD>(REG_SZ));
    CHECK(std::wstring(stored) == L"Gr\u00F6\u00DFe");
}

TEST_CASE(Setting_ValuesInSeveralScriptsAreReadBackUnchanged)
{
    TestApplicationKey key;
    RegistrySettingsStore store;
    const std::vector<std::pair<std::string, std::string>> values = {
        {"Combo1", "\xEF\xBC\xAD\xEF\xBC\xB3 \xE6\x98\x8E\xE6\x9C\x9D"},          // ＭＳ 明朝
        {"Combo2", "\xD0\x90\xD1\x80\xD0\xB8\xD0\xB0\xD0\xBB \xE2\x80\x93 12,5"}, // Ариал – 12,5
        {"Headers and Footers", "\xF0\x9F\x93\x84"},                              // an emoji
        {"Schl\xC3\xBC"
         "ssel",
         kGerman}, // a key that is not ASCII
    };
    for (const auto& [name, value] : values)
        CHECK_EQ(store.saveSetting(key.app(), kSection, name, value), std::optional<std::string>());
    for (const auto& [name, value] : values)
        CHECK_EQ(RegistrySettingsStore().getSetting(key.app(), kSection, name, "default"), value);
}

TEST_CASE(Setting_ReplacedAndEmptyValuesAreKept)
{
    TestApplicationKey key;
    RegistrySettingsStore store;
    CHECK(!store.saveSetting(key.app(), kSection, "Combo2", "1"));
    CHECK(!store.saveSetting(key.app(), kSection, "Combo2", "14"));
    CHECK_EQ(store.getSetting(key.app(), kSection, "Combo2", "12"), "14");
    CHECK(!store.saveSetting(key.app(), kSection, "Combo2", ""));
    CHECK_EQ(store.getSetting(key.app(), kSection, "Combo2", "12"), "");
}

TEST_CASE(Setting_WrittenByAnEarlierInstallIsRead)
{
    TestApplicationKey key;
    const std::wstring value = L"New Times Roman";
    writeRawValue(key.sectionPath(), L"Combo1", REG_SZ, value.c_str(),
                  static_cast<DWORD>((value.size() + 1) * sizeof(wchar_t)));
    CHECK_EQ(RegistrySettingsStore().getSetting(key.app(), kSection, "Combo1", "Arial"), "New Times Roman");
}

TEST_CASE(Setting_MissingOrOfAnotherTypeGivesTheDefault)
{
    TestApplicationKey key;
    RegistrySettingsStore store;
    CHECK_EQ(store.getSetting(key.app(), kSection, "Headers and Footers", "1"), "1");
    const DWORD number = 0;
    writeRawValue(key.sectionPath(), L"Headers and Footers", REG_DWORD, &number, sizeof number);
    CHECK_EQ(store.getSetting(key.app(), kSection, "Headers and Footers", "1"), "1");
    CHECK_EQ(store.getSetting("", kSection, "Combo1", "Arial"), "Arial");
    CHECK(store.saveSetting("", kSection, "Combo1", "Arial").has_value());
}

TEST_CASE(Listing_SelectsByAttributeMaskAndSortsWithoutCase)
{
    TemporaryTree tree;
    fillListingTree(tree);
    Win32FileSystem files;
    CHECK_EQ(files.listDirectory(tree.root(), "*.doc", 6),
             (Names{"A.DOC", "b.doc", kGerman + ".doc", "hidden.doc", "sys.doc", "~$tmp.doc"}));
    CHECK_EQ(files.listDirectory(tree.root() + "\\", "", 16),
             (Names{"A.DOC", "b.doc", "c.txt", kGerman + ".doc", "old.doc", "sub", "~$tmp.doc"}));
    CHECK_EQ(files.listDirectory(tree.root(), "*", 0),
             (Names{"A.DOC", "b.doc", "c.txt", kGerman + ".doc", "~$tmp.doc"}));
}

TEST_CASE(Listing_MatchesWildcardsWithoutCase)
{
    TemporaryTree tree;
    fillListingTree(tree);
    Win32FileSystem files;
    CHECK_EQ(files.listDirectory(tree.root(), "?.doc", 6), (Names{"A.DOC", "b.doc"}));
    CHECK_EQ(files.listDirectory(tree.root(), "*.DoC", 0), (Names{"A.DOC", "b.doc", kGerman + ".doc", "~$tmp.doc"}));
    CHECK_EQ(files.listDirectory(tree.root(), "*.xyz", 6), Names{});
    // A pattern that reaches into another folder matches no name here.
    CHECK_EQ(files.listDirectory(tree.path("sub"), "..\\*", 16), Names{});
}

TEST_CASE(Listing_OfWhatIsNoFolderFails)
{
    TemporaryTree tree;
    fillListingTree(tree);
    Win32FileSystem files;
    CHECK(!files.listDirectory(tree.path("missing"), "*", 16).has_value());
    CHECK(!files.listDirectory(tree.path("c.txt"), "*", 16).has_value());
}

TEST_CASE(Attributes_AndIdentity_DescribeWhatThePathLeadsTo)
{
    TemporaryTree tree;
    fillListingTree(tree);
    Win32FileSystem files;
    CHECK(files.attributes(tree.path("sub")).value_or(0) & FileAttribute::Directory);
    const unsigned hidden = files.attributes(tree.path("hidden.doc")).value_or(0);
    CHECK((hidden & FileAttribute::Hidden) && !(hidden & FileAttribute::Directory));
    CHECK(!files.attributes(tree.path("missing")).has_value());
    const auto sub = files.folderIdentity(tree.path("sub"));
    CHECK(sub.has_value());
    CHECK(sub == files.folderIdentity(tree.path("old.doc\\..\\sub")));
    CHECK(sub != files.folderIdentity(tree.path("old.doc")));
    CHECK(!files.folderIdentity(tree.path("missing")).has_value());
}

TEST_CASE(LastChangeTime_IsInSecondsSinceTheEpoch)
{
    TemporaryTree tree;
    fillListingTree(tree);
    // 2001-09-09 01:46:40 UTC, one thousand million seconds after the epoch.
    const ULONGLONG steps = 116'444'736'000'000'000ULL + 1'000'000'000ULL * 10'000'000ULL;
    const FILETIME time{static_cast<DWORD>(steps & 0xFFFFFFFFU), static_cast<DWORD>(steps >> 32)};
    HANDLE file = CreateFileW(wideWithPrefix(tree.path("b.doc")).c_str(), FILE_WRITE_ATTRIBUTES, 0, nullptr,
                              OPEN_EXISTING, 0, nullptr);
    CHECK(SetFileTime(file, nullptr, nullptr, &time));
    CloseHandle(file);
    Win32FileSystem files;
    CHECK_EQ(files.lastChangeTime(tree.path("b.doc")), std::optional<std::int64_t>(1'000'000'000));
    CHECK(!files.lastChangeTime(tree.path("missing")).has_value());
}

// A document that another program holds without sharing is refused with that reason, not only "cannot be read".
TEST_CASE(FirstBytes_AreReadBesideWordAndNameWhatSharesNothing)
{
    TemporaryTree tree;
    tree.file("held.doc");
    const std::wstring path = wideWithPrefix(tree.path("held.doc"));
    Win32FileSystem files;
    for (const DWORD share : {DWORD{FILE_SHARE_READ}, DWORD{0}}) {
        HANDLE holder =
            CreateFileW(path.c_str(), GENERIC_READ | GENERIC_WRITE, share, nullptr, OPEN_EXISTING, 0, nullptr);
        CHECK(holder != INVALID_HANDLE_VALUE);
        const FileStart start = files.firstBytes(tree.path("held.doc"), 8);
        CloseHandle(holder);
        CHECK_EQ(start.bytes.has_value(), share != 0);
        CHECK_EQ(start.problem, std::string(share != 0 ? "" : "the file is open in another program"));
    }
}

TEST_CASE(LongPaths_AreListedAndExamined)
{
    TemporaryTree tree;
    std::string relative;
    for (int level = 0; level < 6; ++level) {
        relative += (relative.empty() ? "" : "\\") + std::string(50, static_cast<char>('a' + level));
        tree.folder(relative);
    }
    tree.file(relative + "\\deep.doc");
    const std::string deepFolder = tree.path(relative);
    CHECK(deepFolder.size() > MAX_PATH);
    Win32FileSystem files;
    CHECK_EQ(files.listDirectory(deepFolder, "*.doc", 6), Names{"deep.doc"});
    CHECK(files.attributes(deepFolder).value_or(0) & FileAttribute::Directory);
    CHECK(files.lastChangeTime(deepFolder + "\\deep.doc").has_value());
    CHECK(files.folderIdentity(deepFolder).has_value());
}

TEST_CASE(ExtendedPath_KeepsShortPathsAndPrefixesLongOnes)
{
    CHECK(extendedPath("C:\\Docs\\a.doc") == L"C:\\Docs\\a.doc");
    const std::string longName(300, 'x');
    CHECK(extendedPath("C:\\" + longName) == L"\\\\?\\C:\\" + widen(longName));
    CHECK(extendedPath("\\\\server\\share\\" + longName) == L"\\\\?\\UNC\\server\\share\\" + widen(longName));
    CHECK(extendedPath("C:/Docs/../" + longName) == L"\\\\?\\C:\\" + widen(longName));
}

TEST_CASE(ExplorerCommandLine_QuotesTheAddressAndRefusesBreakouts)
{
    CHECK(explorerCommandLine("https://example.org/a b") ==
          std::optional<std::wstring>(L"explorer \"https://example.org/a b\""));
    CHECK(!explorerCommandLine("https://example.org/\" /select,C:\\x").has_value());
    CHECK(!explorerCommandLine("https://example.org/\r\n").has_value());
    CHECK(!explorerCommandLine("").has_value());
}
