#include "docengine/EngineError.h"
#include "docengine/ooxml/ZipPackage.h"
#include "docengine/EngineMessages.h"
#include "package_test_support.h"
#include "support/TestDocuments.h"

#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include <cstdint>

namespace glyphmere::docengine {
namespace {

using ::testing::AllOf;
using ::testing::HasSubstr;
using ::testing::StartsWith;
using namespace glyphmere::testing_support;
using namespace glyphmere::docengine::package_testing;

const std::string kDamaged = "the document's package is damaged (";

std::string validPackageBytes(const TemporaryFolder& folder)
{
    const std::string path = folder.file("source.docx");
    writePackage(path, minimalDocx("<w:p/>"));
    return readFile(path);
}

struct ContentCase {
    const char* label;
    std::string bytes;
    std::string reason;
};

TEST(PackageOpen, ContentDecidesAndTheFileStaysAsItWas)
{
    TemporaryFolder folder;
    const std::string zip = validPackageBytes(folder);
    const std::string notPackage = messages::kNotAPackage; // a compound file goes to the binary document
    const std::string notWord = messages::kNotAWordDocument;
    const std::string encrypted = messages::kPasswordProtected;
    const ContentCase cases[] = {
        {"empty file", "", notWord},
        {"plain text", "Dear reader,\nhello.\n", notWord},
        {"RTF", "{\\rtf1\\ansi Hello}", notWord},
        {"HTML", "<!DOCTYPE html><html><body>Hello</body></html>", notWord},
        {"PDF", "%PDF-1.4\n%\xE2\xE3\xCF\xD3\n", notWord},
        {"empty zip", std::string("PK\x05\x06", 4) + std::string(18, '\0'), notWord},
        {"compound file", compoundFile({}), notPackage},
        {"encrypted package", compoundFile({u"EncryptedPackage"}), encrypted},
        {"name in other case", compoundFile({u"encryptedpackage"}), encrypted},
        {"name in third directory sector", compoundFile({u"EncryptedPackage", 3}), encrypted},
        {"directory chain loops", compoundFile({u"", 2, true}), notPackage},
        {"directory sector out of range", compoundFile({u"EncryptedPackage", 1, false, 0x7FFFFFF0}), notPackage},
        {"header only", compoundFile({}).substr(0, 512), notPackage},
        {"truncated zip", zip.substr(0, zip.size() / 2), kDamaged},
    };
    for (const auto& [label, bytes, reason] : cases) {
        SCOPED_TRACE(label);
        const std::string path = folder.file("document.docx");
        writeFile(path, bytes);
        const std::string refusal = openRefusal(path);
        if (reason == kDamaged)
            EXPECT_THAT(refusal, StartsWith(kDamaged));
        else
            EXPECT_EQ(refusal, reason);
        EXPECT_EQ(readFile(path), bytes);
    }
}

TEST(PackageOpen, MissingFileNamesTheReason)
{
    TemporaryFolder folder;
    EXPECT_EQ(openRefusal(folder.file("gone.docx")), messages::cannotOpen("the file or its folder does not exist"));
}

struct LockCase {
    const char* document;
    const char* lockFile;
    bool locks;
};

TEST(PackageOpen, LockFilesOfOtherProgramsRefuseAndAreNamed)
{
    const LockCase cases[] = {
        {"report.docx", "~$report.docx", true},             // six characters: the whole name
        {"reports.docx", "~$eports.docx", true},            // seven: the first one replaced
        {"annual report.docx", "~$nual report.docx", true}, // eight or more: the first two
        {"\xC3\x84rger123.docx", "~$ger123.docx", true},    // counted in characters, not bytes
        {"report.docx", ".~lock.report.docx#", true},
        {"annual report.docx", "~$annual report.docx", false}, // that is the owner file of a longer name
        {"report.docx", "~$report.docx.bak", false},
    };
    for (const auto& [document, lockFile, locks] : cases) {
        SCOPED_TRACE(std::string(document) + " with " + lockFile);
        TemporaryFolder folder;
        const std::string path = folder.file(document);
        writePackage(path, minimalDocx("<w:p/>"));
        writeFile(folder.file(lockFile), "owner");
        EXPECT_EQ(openRefusal(path), locks ? messages::lockedBy(lockFile) : "");
    }
}

struct NameCase {
    std::vector<std::string> names;
    std::string patchFrom;
    std::string patchTo;
    std::string problem;
};

TEST(PackageOpen, DuplicateOrUnsafeEntryNamesAreRefused)
{
    const NameCase cases[] = {
        {{"word/a.xml", "word/b.xml"}, "word/b.xml", "word/a.xml", "\"word/a.xml\" occurs more than once"},
        {{"word/Media.xml", "word/media.xml"}, "", "", "\"word/media.xml\" occurs more than once"},
        {{"../evil.xml"}, "", "", "\"../evil.xml\" holds a \".\" or \"..\" segment"},
        {{"word/../../evil.xml"}, "", "", "holds a \".\" or \"..\" segment"},
        {{"/etc/evil.xml"}, "", "", "\"/etc/evil.xml\" is an absolute path"},
        {{"C:/evil.xml"}, "", "", "is an absolute path"},
        {{"word\\evil.xml"}, "", "", "holds a backslash"},
    };
    for (const auto& [names, patchFrom, patchTo, problem] : cases) {
        SCOPED_TRACE(names.front());
        TemporaryFolder folder;
        const std::string path = folder.file("document.docx");
        std::vector<PackageEntry> extra;
        for (const auto& name : names)
            extra.emplace_back(name, "<x/>");
        writePackage(path, minimalDocx("<w:p/>", extra));
        if (!patchFrom.empty())
            patchFile(path, patchFrom, patchTo);
        const std::string before = readFile(path);
        EXPECT_THAT(openRefusal(path), AllOf(StartsWith(kDamaged), HasSubstr(problem)));
        EXPECT_EQ(readFile(path), before);
    }
}

// Sets the "encrypted" flag of every entry in the local and central headers.
void markEntriesEncrypted(const std::string& path)
{
    std::string bytes = readFile(path);
    for (const auto& [signature, flagsAt] :
         {std::pair{std::string("PK\x03\x04", 4), 6}, std::pair{std::string("PK\x01\x02", 4), 8}}) {
        for (std::size_t at = bytes.find(signature); at != std::string::npos; at = bytes.find(signature, at + 4))
            bytes[at + flagsAt] = static_cast<char>(bytes[at + flagsAt] | 1);
    }
    writeFile(path, bytes);
}

TEST(PackageOpen, EncryptedEntriesAreRefused)
{
    TemporaryFolder folder;
    const std::string path = folder.file("document.docx");
    writePackage(path, minimalDocx("<w:p/>"));
    markEntriesEncrypted(path);
    const std::string before = readFile(path);
    EXPECT_EQ(openRefusal(path), messages::kEncryptedEntries);
    EXPECT_EQ(readFile(path), before);
}

} // namespace
} // namespace glyphmere::docengine
