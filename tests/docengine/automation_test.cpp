#include "docengine/session/EngineObjects.h"
#include "docengine/session/FontValues.h"

#include "InMemoryDocument.h"
#include "support/ErrorText.h"

#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include <cmath>
#include <functional>
#include <limits>

namespace glyphmere::docengine {
namespace {

using platform::AutomationError;
using platform::Variant;
using ::testing::HasSubstr;
using testing::headedDocument;
using testing_support::PackageEntry;

const std::string kPath = "/docs/report.docx";

// One engine instance over in-memory documents, as RestyleDocument talks to it.
struct EngineFixture {
    explicit EngineFixture(std::vector<PackageEntry> entries)
        : log(std::make_shared<testing::SaveLog>()),
          session(std::make_shared<EngineSession>(testing::inMemoryOpener(std::move(entries), log),
                                                  [] { return std::string("2024-05-06T07:08:09Z"); })),
          app(makeApplication(
              session,
              [] {
                  return std::vector<std::string>{"Arial", "DejaVu Sans"};
              },
              [this] { ++tableLeaves; }))
    {
    }

    Variant view() const { return app.get("ActiveWindow").get("ActivePane").get("View"); }

    void fontPass(const Variant& name, const Variant& size) const
    {
        app.get("Selection").call("WholeStory");
        app.get("Selection").get("Font").put("name", name);
        app.get("Selection").get("Font").put("Size", size);
    }

    const std::map<std::string, std::string>& lastSave() const { return log->saves.back(); }

    std::shared_ptr<testing::SaveLog> log;
    std::shared_ptr<EngineSession> session;
    int tableLeaves = 0;
    Variant app;
};

std::string errorOf(const std::function<void()>& action)
{
    return testing_support::errorText<AutomationError>(action, "(no error)");
}

// Documents.Open's 15 arguments as RestyleDocument gives them, with readOnly in the third place.
std::vector<Variant> openArguments(const std::string& path, bool readOnly = false)
{
    const Variant missing = Variant::missing();
    return {path, false, readOnly, false, "x", "x", false, "x", "x", missing, missing, false, false, missing, true};
}

std::vector<Variant> saveAs2Arguments(const std::string& path, std::int32_t format)
{
    return {path, format, Variant::missing(), Variant::missing(), false};
}

TEST(Automation, RestyleConversation_ThroughTheOpenedDocumentChangesMainTextHeaderAndFooterAndSaves)
{
    EngineFixture engine(headedDocument("", ""));
    engine.app.get("Application").put("AutomationSecurity", std::int32_t{3});
    const Variant document = engine.app.get("Documents").call("Open", openArguments(kPath));
    EXPECT_FALSE(document.get("ReadOnly").toBool());
    EXPECT_EQ(document.get("SaveFormat").toInt32(), 12);
    const auto view = [&] { return document.get("ActiveWindow").get("ActivePane").get("View"); };
    const auto fontPass = [&] {
        document.get("ActiveWindow").get("Selection").call("WholeStory");
        document.get("ActiveWindow").get("Selection").get("Font").put("name", "DejaVu Sans");
        document.get("ActiveWindow").get("Selection").get("Font").put("Size", 11.0);
    };
    fontPass();
    const std::string savedType = view().get("Type").toText();
    view().put("Type", std::int32_t{3});
    view().put("SeekView", std::int32_t{9});
    fontPass();
    view().put("SeekView", std::int32_t{10});
    fontPass();
    view().put("Type", savedType);
    engine.app.get("Application").put("DisplayAlerts", false);
    document.call("SaveAs2", saveAs2Arguments(kPath, 12));
    EXPECT_EQ(engine.app.get("BackgroundSavingStatus").toInt32(), 0);
    document.call("Close", {std::int32_t{0}});
    EXPECT_EQ(engine.app.get("Documents").get("Count").toInt32(), 0);
    EXPECT_EQ(errorOf([&] { document.get("ReadOnly"); }), "no document is open");
    engine.app.call("Quit", {std::int32_t{0}});

    EXPECT_EQ(savedType, "3");
    ASSERT_EQ(engine.log->saves.size(), 1u);
    const auto& saved = engine.lastSave();
    EXPECT_EQ(saved.size(), 3u);
    for (const char* entry : {"word/document.xml", "word/header1.xml", "word/footer1.xml"}) {
        ASSERT_TRUE(saved.count(entry)) << entry;
        EXPECT_THAT(saved.at(entry), HasSubstr(R"(<w:rFonts w:ascii="DejaVu Sans" w:hAnsi="DejaVu Sans"/>)"));
        EXPECT_THAT(saved.at(entry), HasSubstr(R"(<w:sz w:val="22"/><w:szCs w:val="22"/>)"));
    }
    EXPECT_EQ(engine.tableLeaves, 1);
}

// What Word would do differently from the engine is refused, with the reason, and nothing is saved.
TEST(Automation, DocumentCallsTheEngineCannotHonour_AreRefusedAndSaveNothing)
{
    using Action = std::function<void(const Variant& app)>;
    const auto opened = [](const Variant& app, bool readOnly = false) {
        return app.get("Documents").call("Open", openArguments(kPath, readOnly));
    };
    const std::vector<std::pair<Action, std::string>> rows = {
        {[](const Variant& app) {
             std::vector<Variant> args = openArguments(kPath);
             args[9] = std::int32_t{4}; // wdOpenFormatRTF
             app.get("Documents").call("Open", args);
         },
         "the built-in engine opens a document in the format its content shows, so Open's Format must be left out "
         "or 0 (wdOpenFormatAuto)"},
        {[&](const Variant& app) { opened(app).call("SaveAs2", saveAs2Arguments(kPath, 16)); },
         "the built-in engine never converts a document: FileFormat 16 is not the document's own format, 12"},
        {[&](const Variant& app) { opened(app).call("SaveAs2", saveAs2Arguments("/docs/other.docx", 12)); },
         "the built-in engine saves a document only over the file it was opened from"},
        {[&](const Variant& app) {
             opened(app).call("SaveAs2", {kPath, 12, false, "", false, "write password"});
         },
         "the built-in engine's SaveAs2 takes only the file name, its own format and AddToRecentFiles"},
        {[&](const Variant& app) { opened(app, true).call("SaveAs2", saveAs2Arguments(kPath, 12)); },
         "the document was opened read-only, so it cannot be saved"},
        {[&](const Variant& app) { opened(app).call("Close", {std::int32_t{-1}}); },
         "the built-in engine closes a document without saving: SaveChanges must be 0 (wdDoNotSaveChanges)"},
    };
    for (const auto& [action, reason] : rows) {
        EngineFixture engine(headedDocument("", ""));
        EXPECT_EQ(errorOf([&] { action(engine.app); }), reason);
        EXPECT_TRUE(engine.log->saves.empty()) << reason;
    }
}

TEST(Automation, SaveFormat_IsTheMainPartsContentTypeAndSaveAs2KeepsIt)
{
    const std::string documentType = "application/vnd.openxmlformats-officedocument.wordprocessingml.document.main+xml";
    const std::vector<std::pair<std::string, std::int32_t>> rows = {
        {documentType, 12},
        {"application/vnd.ms-word.document.macroEnabled.main+xml", 13},
        {"application/vnd.openxmlformats-officedocument.wordprocessingml.template.main+xml", 14},
        {"application/vnd.ms-word.template.macroEnabledTemplate.main+xml", 15},
    };
    for (const auto& [contentType, format] : rows) {
        std::vector<PackageEntry> entries = headedDocument("", "");
        std::string& types = entries.front().second; // [Content_Types].xml
        types.replace(types.find(documentType), documentType.size(), contentType);
        EngineFixture engine(entries);

        const Variant document = engine.app.get("Documents").call("Open", openArguments(kPath));

        EXPECT_EQ(document.get("SaveFormat").toInt32(), format) << contentType;
        document.call("SaveAs2", saveAs2Arguments(kPath, format));
        EXPECT_EQ(engine.log->saves.size(), 1u) << contentType;
    }
}

TEST(Automation, CurrentPageWithoutHeader_ChangesNothingAndCreatesNoPart)
{
    EngineFixture engine(headedDocument("<w:titlePg/>", "", R"(<w:headerReference w:type="default" r:id="rH1"/>)"));
    engine.app.get("Documents").call("Open", {kPath});
    engine.view().put("SeekView", std::int32_t{9});
    engine.fontPass("Arial", 12);
    engine.view().put("SeekView", std::int32_t{0});
    engine.app.get("ActiveDocument").call("SaveAs", {kPath});
    ASSERT_EQ(engine.log->saves.size(), 1u);
    EXPECT_TRUE(engine.lastSave().empty()) << "a document where nothing changed is saved with its parts as they were";
}

TEST(Automation, MemberNames_MatchWithoutRegardToCase)
{
    EngineFixture engine(headedDocument("", ""));
    engine.app.get("documents").call("OPEN", {kPath});
    engine.app.get("SELECTION").call("wholestory");
    engine.app.get("selection").get("font").put("NAME", "Arial");
    engine.app.get("activedocument").call("saveas", {kPath});
    EXPECT_THAT(engine.lastSave().at("word/document.xml"), HasSubstr(R"(w:ascii="Arial")"));
    EXPECT_EQ(engine.app.defaultValue().toText(), "Glyphmere Document Engine");
}

TEST(Automation, MisusedMembers_FailWithReadableDescriptions)
{
    EngineFixture engine(headedDocument("", ""));
    engine.app.get("Documents").call("Open", {kPath});
    const Variant selection = engine.app.get("Selection");
    EXPECT_EQ(errorOf([&] { selection.get("Bogus"); }), "Selection has no member \"Bogus\"");
    EXPECT_EQ(errorOf([&] { selection.call("WholeStory", {1}); }), "Selection.WholeStory takes 0 argument(s), not 1");
    EXPECT_EQ(errorOf([&] { engine.app.get("ActiveDocument").call("SaveAs", {}); }),
              "Document.SaveAs takes 1 to 16 argument(s), not 0");
    EXPECT_EQ(errorOf([&] { engine.app.put("Documents", 1); }), "Application.Documents cannot be written");
    EXPECT_EQ(errorOf([&] { selection.get("Font").get("Name"); }), "Font.Name cannot be read");
    EXPECT_EQ(errorOf([&] { engine.app.get("Documents").call("Open", {kPath}); }),
              "the built-in engine keeps one document open per instance");
    EXPECT_EQ(errorOf([&] { engine.app.get("ActiveDocument").call("SaveAs", {"/docs/other.docx"}); }),
              "the built-in engine saves a document only over the file it was opened from");
    EXPECT_EQ(errorOf([&] { engine.app.put("AutomationSecurity", 7); }), "AutomationSecurity must be 1, 2 or 3");
    EXPECT_TRUE(engine.log->saves.empty());
}

TEST(Automation, OpenFailure_CarriesTheEnginesReason)
{
    EngineFixture engine(headedDocument("", ""));
    EXPECT_EQ(errorOf([&] { engine.app.get("Documents").call("Open", {"/docs/missing.docx"}); }),
              "the document does not exist");
    EXPECT_EQ(errorOf([&] { engine.app.get("ActiveDocument"); }), "no document is open");
}

TEST(Automation, RefusedFontValues_ChangeNothing)
{
    EngineFixture engine(headedDocument("", ""));
    engine.app.get("Documents").call("Open", {kPath});
    engine.app.get("Selection").call("WholeStory");
    const Variant font = engine.app.get("Selection").get("Font");
    EXPECT_EQ(errorOf([&] { font.put("Size", "0"); }), kFontSizeOutOfRange);
    EXPECT_EQ(errorOf([&] { font.put("Name", ""); }), kFontNameEmpty);
    engine.app.get("ActiveDocument").call("SaveAs", {kPath});
    EXPECT_TRUE(engine.lastSave().empty());
}

TEST(Automation, SeekView_OnlyInPrintLayoutAndOnlyKnownValues)
{
    EngineFixture engine(headedDocument("", R"(<w:view w:val="web"/>)"));
    engine.app.get("Documents").call("Open", {kPath});
    EXPECT_EQ(engine.view().get("Type").toInt32(), 6);
    EXPECT_EQ(errorOf([&] { engine.view().put("SeekView", 9); }),
              "the header and footer can be shown only in print layout view (type 3)");
    engine.view().put("Type", "3");
    EXPECT_EQ(errorOf([&] { engine.view().put("SeekView", 1); }),
              "SeekView must be 0 (main document), 9 (current page header) or 10 (current page footer)");
    EXPECT_EQ(errorOf([&] { engine.view().put("Type", 9); }), "the view type must be a whole number from 1 to 8");
    EXPECT_EQ(errorOf([&] { engine.view().put("Type", "2.5"); }), "the view type must be a whole number from 1 to 8");
    engine.view().put("SeekView", 9);
    EXPECT_EQ(engine.view().get("SeekView").toInt32(), 9);
    engine.view().put("Type", 6);
    EXPECT_EQ(engine.view().get("SeekView").toInt32(), 0) << "leaving print layout returns to the main text";
}

TEST(Automation, SavedViewType_ComesFromTheSettings)
{
    const struct {
        const char* settings;
        int type;
    } rows[] = {{R"(<w:view w:val="normal"/>)", 1},
                {R"(<w:view w:val="outline"/>)", 5},
                {R"(<w:view w:val="masterPages"/>)", 5},
                {R"(<w:view w:val="web"/>)", 6},
                {R"(<w:view w:val="print"/>)", 3},
                {R"(<w:view w:val="none"/>)", 3},
                {"", 3}};
    for (const auto& row : rows) {
        EngineFixture engine(headedDocument("", row.settings));
        engine.app.get("Documents").call("Open", {kPath});
        EXPECT_EQ(engine.view().get("Type").toInt32(), row.type) << row.settings;
    }
}

TEST(Automation, TrackedDocument_RecordsFormattingAsRevision)
{
    EngineFixture engine(headedDocument("", "<w:trackRevisions/>"));
    engine.app.get("Documents").call("Open", {kPath});
    engine.fontPass("Arial", 12);
    engine.app.get("ActiveDocument").call("SaveAs", {kPath});
    EXPECT_THAT(
        engine.lastSave().at("word/document.xml"),
        HasSubstr(
            R"(<w:rPrChange w:id="1" w:author="Glyphmere" w:date="2024-05-06T07:08:09Z"><w:rPr/></w:rPrChange>)"));
}

TEST(Automation, Quit_ReleasesWithoutSavingAndEndsTheInstance)
{
    EngineFixture engine(headedDocument("", ""));
    engine.app.get("Documents").call("Open", {kPath});
    engine.fontPass("Arial", 12);
    engine.app.call("Quit", {0});
    EXPECT_TRUE(engine.log->saves.empty());
    EXPECT_EQ(engine.tableLeaves, 1);
    EXPECT_EQ(errorOf([&] { engine.app.get("Selection"); }), "the Word.Application instance has quit");
}

TEST(Automation, FontNames_EnumerateAsText)
{
    EngineFixture engine(headedDocument("", ""));
    std::vector<std::string> names;
    for (const Variant& name : engine.app.get("FontNames").enumerate())
        names.push_back(name.toText());
    EXPECT_EQ(names, (std::vector<std::string>{"Arial", "DejaVu Sans"}));
}

TEST(FontValues, Size_RoundsToHalfPointsAndRefusesOthers)
{
    const struct {
        Variant value;
        int halfPoints;
        const char* error;
    } rows[] = {
        {"11", 22, nullptr},
        {" 12 ", 24, nullptr},
        {"10.25", 21, nullptr},
        {"10,75", 22, nullptr},
        {10.24, 20, nullptr},
        {std::int32_t{1638}, 3276, nullptr},
        {"1", 2, nullptr},
        {"1e1", 20, nullptr},
        {"0.99", 0, kFontSizeOutOfRange},
        {"1638.1", 0, kFontSizeOutOfRange},
        {"-3", 0, kFontSizeOutOfRange},
        {"abc", 0, kFontSizeNotNumber},
        {"", 0, kFontSizeNotNumber},
        {"0x10", 0, kFontSizeNotNumber},
        {"inf", 0, kFontSizeNotNumber},
        {"nan", 0, kFontSizeNotNumber},
        {std::numeric_limits<double>::quiet_NaN(), 0, kFontSizeNotNumber},
        {true, 0, kFontSizeNotNumber},
        {Variant::missing(), 0, kFontSizeNotNumber},
    };
    for (const auto& row : rows) {
        if (row.error)
            EXPECT_EQ(errorOf([&] { halfPointsFromSize(row.value); }), row.error) << row.value.toText();
        else
            EXPECT_EQ(halfPointsFromSize(row.value), row.halfPoints) << row.value.toText();
    }
}

TEST(FontValues, Name_RefusesEmptyTooLongAndUnstorableText)
{
    const std::string cjk = "\xE6\x98\x8E";       // one UTF-16 unit
    const std::string emoji = "\xF0\x9F\x98\x80"; // two UTF-16 units
    std::string cjk31, emoji16;
    for (int i = 0; i < 31; ++i)
        cjk31 += cjk;
    for (int i = 0; i < 16; ++i)
        emoji16 += emoji;
    const struct {
        std::string name;
        const char* error;
    } rows[] = {
        {std::string(31, 'a'), nullptr},
        {cjk31, nullptr},
        {std::string(32, 'a'), kFontNameTooLong},
        {emoji16, kFontNameTooLong},
        {"", kFontNameEmpty},
        {"Ari\x01"
         "al",
         kFontNameNotText},
        {"Ari\xC3", kFontNameNotText},
    };
    for (const auto& row : rows) {
        if (row.error)
            EXPECT_EQ(errorOf([&] { checkedFontName(row.name); }), row.error) << row.name;
        else
            EXPECT_EQ(checkedFontName(row.name), row.name);
    }
}

} // namespace
} // namespace glyphmere::docengine
