#include "common/SafeReplace.h"
#include "docengine/files/SaveDeferral.h"
#include "docengine/EngineError.h"
#include "docengine/ooxml/ZipPackage.h"
#include "docengine/session/RestyleRequest.h"
#include "docengine/EngineMessages.h"
#include "package_test_support.h"
#include "support/TestDocuments.h"
#include "support/ErrorText.h"
#include "support/SystemErrors.h"

#include <gtest/gtest.h>
#include <zip.h>

#include <functional>
#include <thread>

namespace glyphmere::docengine {
namespace {

using namespace glyphmere::testing_support;
using namespace glyphmere::docengine::package_testing;
using common::FileOperations;

// The reason the action was refused with, or empty.
std::string refusalOf(const std::function<void()>& action) { return testing_support::errorText<EngineError>(action); }

TEST(SafeSave, UnchangedEntriesKeepTheirStoredBytesAndOrder)
{
    TemporaryFolder folder;
    const std::string path = folder.file("d.docx");
    writeMixedPackage(path);
    const auto before = storedEntries(path);
    const auto package = ZipPackage::open(path);

    ASSERT_EQ(saveRefusal(*package, {{"word/document.xml", kNewDocument}}), "");

    const auto after = storedEntries(path);
    ASSERT_EQ(after.size(), before.size());
    EXPECT_EQ(after.front().name, "[Content_Types].xml");
    for (std::size_t i = 0; i < after.size(); ++i) {
        SCOPED_TRACE(before[i].name);
        EXPECT_EQ(after[i].name, before[i].name);
        if (after[i].name == "word/document.xml") {
            EXPECT_EQ(after[i].method, ZIP_CM_DEFLATE);
            continue;
        }
        EXPECT_EQ(after[i].method, before[i].method);
        EXPECT_EQ(after[i].modified, before[i].modified);
        EXPECT_EQ(after[i].rawBytes, before[i].rawBytes);
    }
    EXPECT_EQ(readPackage(path)[2].second, kNewDocument);
    EXPECT_EQ(package->read("word/document.xml"), kNewDocument);
    EXPECT_EQ(folderListing(folder.path()), std::vector<std::string>{"d.docx"});
}

TEST(SafeSave, SavingTwiceBuildsOnTheFirstSave)
{
    TemporaryFolder folder;
    const std::string path = folder.file("d.docx");
    writeMixedPackage(path);
    const auto package = ZipPackage::open(path);
    ASSERT_EQ(saveRefusal(*package, {{"word/document.xml", kNewDocument}}), "");
    ASSERT_EQ(saveRefusal(*package, {{"docProps/app.xml", "<Properties>2</Properties>"}}), "");
    const auto entries = readPackage(path);
    EXPECT_EQ(entries[2].second, kNewDocument);
    EXPECT_EQ(entries[5].second, "<Properties>2</Properties>");
}

// Fails the chosen call with the chosen error, as a broken disk or a full one would.
class FailingOperations final : public FileOperations {
public:
    FailingOperations(bool failRename, int error) : m_failRename(failRename), m_error(error) {}
    int renameFile(const std::string& from, const std::string& to) const override
    {
        return m_failRename ? fail() : FileOperations::renameFile(from, to);
    }
    int syncFile(const common::FileHandle& file) const override
    {
        return m_failRename ? FileOperations::syncFile(file) : fail();
    }

private:
    int fail() const
    {
        setLastSystemError(m_error);
        return -1;
    }
    bool m_failRename;
    int m_error;
};

TEST(SafeSave, FailedFlushOrRenameLeavesTheOriginalAndNoTemporaryFile)
{
    const struct {
        const char* label;
        FailingOperations operations;
        std::string reason;
    } cases[] = {
        {"rename fails", {true, inputOutputErrorCode()}, messages::cannotSave("an input/output error occurred")},
        {"flush fails", {false, diskFullErrorCode()}, messages::cannotSave("no space left on the device")},
    };
    for (const auto& [label, operations, reason] : cases) {
        SCOPED_TRACE(label);
        TemporaryFolder folder;
        const std::string path = folder.file("d.docx");
        writeMixedPackage(path);
        const std::string original = readFile(path);
        const auto package = ZipPackage::open(path, operations);
        EXPECT_EQ(saveRefusal(*package, {{"word/document.xml", kNewDocument}}), reason);
        EXPECT_EQ(readFile(path), original);
        EXPECT_EQ(folderListing(folder.path()), std::vector<std::string>{"d.docx"});
    }
}

TEST(DeferredSave, DocumentStaysAsItWasUntilTheCommitInBothFormats)
{
    TemporaryFolder folder;
    const std::string docx = folder.file("d.docx");
    writeMixedPackage(docx);
    const std::string doc = folder.file("notes.doc");
    writeFile(doc, readFile(std::string(GLYPHMERE_TEST_DATA "/doc/notes.doc")));
    const std::string originalDocx = readFile(docx);
    const std::string originalDoc = readFile(doc);

    SaveDeferral deferral;
    const auto package = packageDeferringTo(deferral, docx);
    package->saveReplacing({{"word/document.xml", kNewDocument}});
    restyleDocumentFile(doc, {.fontName = "Arial", .fontSize = "12"}, &deferral);
    std::vector<PendingSave> saves = deferral.take(docx);
    std::vector<PendingSave> docSaves = deferral.take(doc);
    ASSERT_EQ(saves.size(), 1u);
    ASSERT_EQ(docSaves.size(), 1u);
    EXPECT_EQ(readFile(docx), originalDocx);
    EXPECT_EQ(readFile(doc), originalDoc);
    EXPECT_EQ(package->read("word/document.xml"), kNewDocument) << "the package reads the file it wrote";

    std::thread([&] {
        saves[0].commit();
        docSaves[0].commit();
    }).join();
    EXPECT_EQ(readPackage(docx)[2].second, kNewDocument);
    EXPECT_NE(readFile(doc), originalDoc);
    EXPECT_EQ(folderListing(folder.path()), (std::vector<std::string>{"d.docx", "notes.doc"}));
    // The committed file is the one the package adopted, so a further save builds on it.
    ASSERT_EQ(saveRefusal(*package, {{"docProps/app.xml", "<Properties>2</Properties>"}}), "");
    EXPECT_EQ(readPackage(docx)[2].second, kNewDocument);
}

TEST(DeferredSave, FailedOrDroppedCommitLeavesTheDocumentAsItWasAndNoTemporaryFile)
{
    const FailingOperations renameFails(true, inputOutputErrorCode());
    const FailingOperations flushFails(false, diskFullErrorCode());
    const struct {
        const char* label;
        const FileOperations& operations;
        void (*beforeCommit)(const std::string&);
        std::string reason; // empty: dropped without a commit
    } cases[] = {
        {"rename fails", renameFails, nullptr, messages::cannotSave("an input/output error occurred")},
        {"flush fails", flushFails, nullptr, messages::cannotSave("no space left on the device")},
        {"changed by another program meanwhile", common::systemFileOperations(), touchNanoseconds,
         messages::kChangedOnDisk},
        {"dropped", common::systemFileOperations(), nullptr, ""},
    };
    for (const auto& [label, operations, beforeCommit, reason] : cases) {
        SCOPED_TRACE(label);
        TemporaryFolder folder;
        const std::string path = folder.file("d.docx");
        writeMixedPackage(path);
        SaveDeferral deferral;
        const auto package = packageDeferringTo(deferral, path, operations);
        package->saveReplacing({{"word/document.xml", kNewDocument}});
        std::vector<PendingSave> saves = deferral.take(path);
        ASSERT_EQ(saves.size(), 1u);
        if (beforeCommit)
            beforeCommit(path);
        const std::string before = readFile(path);
        if (reason.empty())
            saves.clear();
        else
            EXPECT_EQ(refusalOf([&] { saves[0].commit(); }), reason);
        EXPECT_EQ(readFile(path), before);
        EXPECT_EQ(folderListing(folder.path()), std::vector<std::string>{"d.docx"});
    }
}

} // namespace
} // namespace glyphmere::docengine
