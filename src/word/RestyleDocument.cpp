#include "word/RestyleDocument.h"

#include "platform/NumberText.h"
#include "word/WordContract.h"
#include "word/WordInstance.h"

#include <algorithm>
#include <array>
#include <chrono>
#include <exception>
#include <stdexcept>
#include <string_view>
#include <thread>

namespace glyphmere::word {
namespace {

using platform::Variant;

constexpr const char* kNotAWordDocument = "not a Word document";
constexpr const char* kOpenedReadOnly =
    "Word opened the document read-only: it may be open in another program or another Word, its author may "
    "recommend opening it read-only, or it is protected by a password to modify";

constexpr std::string_view kZipSignature{"PK\x03\x04", 4};
constexpr std::string_view kCompoundFileSignature{"\xD0\xCF\x11\xE0\xA1\xB1\x1A\xE1", 8};

// Word's constants, as the calls pass them.
constexpr std::int32_t kForceDisableMacros = 3;             // msoAutomationSecurityForceDisable
constexpr std::int32_t kPrintLayoutView = 3;                // wdPrintView
constexpr std::int32_t kCurrentPageHeader = 9;              // wdSeekCurrentPageHeader
constexpr std::int32_t kCurrentPageFooter = 10;             // wdSeekCurrentPageFooter
constexpr std::int32_t kFormatDocument = 0;                 // wdFormatDocument (.doc)
constexpr std::int32_t kFormatTemplate = 1;                 // wdFormatTemplate (.dot)
constexpr std::int32_t kFormatXmlDocument = 12;             // wdFormatXMLDocument (.docx)
constexpr std::int32_t kFormatXmlDocumentMacroEnabled = 13; // wdFormatXMLDocumentMacroEnabled (.docm)
constexpr std::int32_t kFormatXmlTemplate = 14;             // wdFormatXMLTemplate (.dotx)
constexpr std::int32_t kFormatXmlTemplateMacroEnabled = 15; // wdFormatXMLTemplateMacroEnabled (.dotm)
constexpr std::int32_t kFormatStrictOpenXmlDocument = 24;   // wdFormatStrictOpenXMLDocument (.docx)
constexpr int kHeadersAndFootersSet = 1;

// The formats Word reports for the documents we restyle as they are; any other means Word converted the
// document on opening, and saving it would write another format over the file.
constexpr std::array<std::int32_t, 7> kOwnFormats = {kFormatDocument,
                                                     kFormatTemplate,
                                                     kFormatXmlDocument,
                                                     kFormatXmlDocumentMacroEnabled,
                                                     kFormatXmlTemplate,
                                                     kFormatXmlTemplateMacroEnabled,
                                                     kFormatStrictOpenXmlDocument};

// Handed to Open as every password: an unprotected document ignores it, and a protected one then fails to
// open (or opens read-only and is refused) instead of asking for its password in a Word that nobody sees.
constexpr const char* kDummyPassword = "glyphmere-no-password";

// A Word that answers but never finishes a background save would hold the run for ever.
constexpr std::chrono::minutes kBackgroundSaveLimit{5};
constexpr std::chrono::milliseconds kBackgroundSavePause{50};

// A document that must not be changed as Word opened it, or options that cannot be handed to Word.
class Refusal final : public std::runtime_error {
public:
    explicit Refusal(const std::string& reason) : std::runtime_error(reason) {}
};

// Our Word instance and, once Open has returned it, our document: every step addresses that document,
// never the instance's active one, which may be a document of the user's that landed in our Word.
struct OurWord {
    Variant app;
    std::optional<Variant> document;
};

std::string sizeNotANumber(const std::string& text) { return "the font size \"" + text + "\" is not a number"; }

// Read at each use, as the window's box may say; handed to Word as a number, so that Word's own locale never
// reads "10.5" as something else.
double fontSizeOf(const OptionsSource& options)
{
    const std::string text = options.fontSize();
    if (const auto size = platform::parseNumberText(text))
        return *size;
    throw Refusal(sizeNotANumber(text));
}

// Every argument that could raise a dialog in a Word nobody sees is given, by position as Word lists them:
// FileName, ConfirmConversions, ReadOnly, AddToRecentFiles, PasswordDocument, PasswordTemplate, Revert,
// WritePasswordDocument, WritePasswordTemplate, Format, Encoding, Visible, OpenAndRepair,
// DocumentDirection, NoEncodingDialog.
Variant openDocument(const Variant& app, const std::string& path)
{
    const Variant missing = Variant::missing();
    return app.get("Documents")
        .call("Open", {path, false, false, false, kDummyPassword, kDummyPassword, false, kDummyPassword, kDummyPassword,
                       missing, missing, false, false, missing, true});
}

// The format to save the document in, once it is known that Word opened it for writing and as it is.
std::int32_t ownFormatOf(const Variant& document)
{
    if (document.get("ReadOnly").toBool())
        throw Refusal(kOpenedReadOnly);
    const std::int32_t format = document.get("SaveFormat").toInt32();
    if (std::find(kOwnFormats.begin(), kOwnFormats.end(), format) == kOwnFormats.end())
        throw Refusal("Word converted the document from another format (Word's save format " + std::to_string(format) +
                      "), and saving it would write that format over the file");
    return format;
}

Variant selectionOf(const Variant& document) { return document.get("ActiveWindow").get("Selection"); }

Variant viewOf(const Variant& document) { return document.get("ActiveWindow").get("ActivePane").get("View"); }

// Each step fetches its references afresh from the document, as Word's own selection moves.
void fontPass(const Variant& document, const OptionsSource& options)
{
    selectionOf(document).call("WholeStory");
    selectionOf(document).get("Font").put("name", options.fontName());
    selectionOf(document).get("Font").put("Size", fontSizeOf(options));
}

// The current page's header and footer; the view is switched to print layout, where they can be
// reached, and is given back its own type, as read, at the end.
void headerAndFooterPasses(const Variant& document, const OptionsSource& options)
{
    const std::string savedViewType = viewOf(document).get("Type").toText();
    viewOf(document).put("Type", kPrintLayoutView);
    viewOf(document).put("SeekView", kCurrentPageHeader);
    fontPass(document, options);
    viewOf(document).put("SeekView", kCurrentPageFooter);
    fontPass(document, options);
    viewOf(document).put("Type", savedViewType);
}

// Saved over its own file in the format it was opened in, and left out of the user's recent files.
// SaveAs2's arguments: FileName, FileFormat, LockComments, Password, AddToRecentFiles.
void saveInItsFormat(const Variant& document, const std::string& path, std::int32_t format)
{
    const Variant missing = Variant::missing();
    document.call("SaveAs2", {path, format, missing, missing, false});
}

// Word may go on writing the file after SaveAs2 returns; our document is closed only once it is written.
void waitForBackgroundSave(const Variant& app)
{
    const auto giveUp = std::chrono::steady_clock::now() + kBackgroundSaveLimit;
    while (app.get("BackgroundSavingStatus").toInt32() != 0) {
        if (std::chrono::steady_clock::now() >= giveUp)
            throw Refusal("Word was still saving the document after " + std::to_string(kBackgroundSaveLimit.count()) +
                          " minutes");
        std::this_thread::sleep_for(kBackgroundSavePause);
    }
}

void restyleInOurWord(OurWord& word, const OptionsSource& options, const std::string& path)
{
    // A Word that nobody sees must never wait on a prompt, and a document must never run its macros.
    word.app.put("DisplayAlerts", false);
    word.app.put("AutomationSecurity", kForceDisableMacros);
    word.document = openDocument(word.app, path);
    const Variant& document = *word.document;
    const std::int32_t format = ownFormatOf(document);
    fontPass(document, options);
    if (options.headersAndFootersValue() == kHeadersAndFootersSet)
        headerAndFooterPasses(document, options);
    word.app.get("Application").put("DisplayAlerts", false);
    saveInItsFormat(document, path, format);
    waitForBackgroundSave(word.app);
}

// Closes our document without saving (a save, when there was one, is complete), then ends our Word unless
// a document of the user's is open in it. Nothing here changes the document's result: after a failure the
// first reason is the one that counts, and after the save the file is changed whatever Word does next. A
// Word that stops answering is the platform's to end.
void closeAndEnd(const OurWord& word) noexcept
{
    if (word.document) {
        try {
            word.document->call("Close", {kDoNotSaveChanges});
        } catch (const std::exception&) {
            // The count below still tells whether the instance may be ended.
        }
    }
    try {
        endOurWord(word.app);
    } catch (const std::exception&) {
        // Left running: an instance that cannot be asked cannot be shown to hold nothing of the user's.
    }
}

} // namespace

std::optional<std::string> refusalBeforeOpening(platform::FileSystem& fileSystem, const std::string& path)
{
    const platform::PathStatus status = fileSystem.pathStatus(path);
    if (status.kind == platform::PathKind::Missing)
        return "the file does not exist";
    if (status.kind == platform::PathKind::Unexaminable)
        return "the file cannot be examined (" + status.problem + ")";
    if (status.kind != platform::PathKind::RegularFile)
        return kNotAWordDocument;

    const platform::FileStart start = fileSystem.firstBytes(path, kCompoundFileSignature.size());
    if (!start.bytes)
        return start.problem.empty() ? "the file cannot be read" : "the file cannot be read: " + start.problem;
    if (start.bytes->starts_with(kZipSignature) || *start.bytes == kCompoundFileSignature)
        return std::nullopt;
    return kNotAWordDocument;
}

RestyleResult RestyleDocument(platform::Automation& automation, platform::FileSystem& fileSystem,
                              const OptionsSource& options, const std::string& path)
{
    if (const auto refusal = refusalBeforeOpening(fileSystem, path))
        return {false, *refusal};
    if (const std::string size = options.fontSize(); !platform::isNumeric(size))
        return {false, sizeNotANumber(size)};

    OurWord word;
    try {
        word.app = Variant(automation.create(kWordClass));
    } catch (const std::exception& error) {
        return {false, error.what()};
    }
    // Every failure of this document becomes its result, so the run can report it and go on.
    try {
        restyleInOurWord(word, options, path);
    } catch (const std::exception& error) {
        closeAndEnd(word);
        return {false, error.what()};
    }
    closeAndEnd(word);
    return {};
}

} // namespace glyphmere::word
