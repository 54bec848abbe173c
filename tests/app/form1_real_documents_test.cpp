#include "Form1Fixture.h"

#include "docengine/session/EngineAutomation.h"
#include "doclist/DocumentListView.h"
#include "platform/posix/PosixFileSystem.h"
#include "support/TestDocuments.h"

#include <QCheckBox>

#include <pugixml.hpp>

#include <gmock/gmock.h>

namespace glyphmere::app::testing {
namespace {

namespace docs = testing_support;
using ::testing::Each;
using ::testing::ElementsAre;
using ::testing::Pair;

constexpr const char* kBody =
    R"(<w:p><w:r><w:t>Plain words.</w:t></w:r></w:p>)"
    R"(<w:p><w:r><w:rPr><w:rFonts w:ascii="Calibri" w:hAnsi="Calibri"/><w:sz w:val="24"/></w:rPr>)"
    R"(<w:t>Styled words.</w:t></w:r></w:p>)";

// The font name and size (half-points) of every run of a saved package's main text.
std::vector<std::pair<std::string, std::string>> runFonts(const std::string& path)
{
    std::string documentXml;
    for (const auto& [name, bytes] : docs::readPackage(path))
        if (name == "word/document.xml")
            documentXml = bytes;
    pugi::xml_document document;
    EXPECT_TRUE(document.load_string(documentXml.c_str())) << path;
    std::vector<std::pair<std::string, std::string>> fonts;
    for (const pugi::xpath_node& run : document.select_nodes("//w:body//w:r")) {
        const pugi::xml_node properties = run.node().child("w:rPr");
        fonts.emplace_back(properties.child("w:rFonts").attribute("w:ascii").value(),
                           properties.child("w:sz").attribute("w:val").value());
    }
    return fonts;
}

// "Change Font" pressed in a window that drives the built-in document engine on real files.
class RealDocumentsTest : public Form1Test {
protected:
    RealDocumentsTest()
    {
        m_form = std::make_unique<Form1>(realServices, "");
        auto& fontList = control<QComboBox>(*m_form, "Combo1");
        fontList.setCurrentIndex(fontList.findText("New Times Roman"));
        control<QComboBox>(*m_form, "Combo2").setEditText("10.5");
        control<QCheckBox>(*m_form, "Check1").setChecked(false);
    }

    std::string goodDocument(const std::string& name)
    {
        docs::writePackage(m_folder.file(name), docs::minimalDocx(kBody));
        return m_folder.file(name);
    }

    void changeFontOf(const std::vector<std::string>& paths)
    {
        for (const std::string& path : paths)
            m_form->listView().ListItems.Add(path);
        dialogs.messageAnswers = {platform::MessageAnswer::Ok};
        clickButton(*m_form, "Check7");
    }

    docengine::EngineAutomation engine;
    platform::posix::PosixFileSystem posixFiles;
    platform::Platform realServices{engine, settings, posixFiles, dialogs, shell, windowSystem, random};
    docs::TemporaryFolder m_folder;
    std::unique_ptr<Form1> m_form;
};

TEST_F(RealDocumentsTest, EveryListedDocumentGetsTheChosenFontAndSize)
{
    EXPECT_GT(control<QComboBox>(*m_form, "Combo1").count(), 2) << "the engine's fonts are listed";
    const std::string first = goodDocument("first.docx");
    const std::string second = goodDocument("second.docx");

    changeFontOf({first, second});

    EXPECT_THAT(dialogs.messages, ElementsAre("Done."));
    for (const std::string& path : {first, second})
        EXPECT_THAT(runFonts(path), ElementsAre(Pair("New Times Roman", "21"), Pair("New Times Roman", "21"))) << path;
    EXPECT_EQ(engine.liveInstanceCount(), 0u);
}

TEST_F(RealDocumentsTest, FailedDocumentsAreNamed_UntouchedAndTheOthersChanged)
{
    const std::string first = goodDocument("first.docx");
    const std::string missing = m_folder.file("missing.docx");
    const std::string corrupt = m_folder.file("corrupt.docx");
    const std::string corruptBytes = std::string("PK\x03\x04", 4) + std::string(200, '\x7f');
    docs::writeFile(corrupt, corruptBytes);
    const std::string last = goodDocument("last.docx");

    changeFontOf({first, missing, corrupt, last});

    ASSERT_EQ(dialogs.messages.size(), 1u);
    const std::string prefix = "Done.\r\n\r\n2 of 4 documents could not be changed:\r\n" + missing +
                               ": the file does not exist\r\n" + corrupt + ": ";
    const std::string& message = dialogs.messages.front();
    EXPECT_TRUE(message.starts_with(prefix)) << message;
    EXPECT_GT(message.size(), prefix.size()) << "the corrupt file's reason is missing";
    EXPECT_EQ(message.find("\r\n", prefix.size()), std::string::npos) << message;
    EXPECT_EQ(docs::readFile(corrupt), corruptBytes);
    for (const std::string& path : {first, last})
        EXPECT_THAT(runFonts(path), Each(Pair("New Times Roman", "21"))) << path;
    EXPECT_EQ(engine.liveInstanceCount(), 0u);
    EXPECT_EQ(m_form->mousePointer(), platform::MousePointer::Default);
}

} // namespace
} // namespace glyphmere::app::testing
