#include "word/RestyleDocument.h"

#include "word/WordContract.h"

#include <exception>
#include <filesystem>
#include <fstream>
#include <string_view>
#include <system_error>

namespace glyphmere::word {
namespace {

using platform::ObjectRef;
using platform::Variant;

constexpr const char* kNotAWordDocument = "not a Word document";

constexpr std::string_view kZipSignature{"PK\x03\x04", 4};
constexpr std::string_view kCompoundFileSignature{"\xD0\xCF\x11\xE0\xA1\xB1\x1A\xE1", 8};

// Word's constants, as the calls pass them.
constexpr std::int32_t kForceDisableMacros = 3; // msoAutomationSecurityForceDisable
constexpr std::int32_t kPrintLayoutView = 3;    // wdPrintView
constexpr std::int32_t kCurrentPageHeader = 9;  // wdSeekCurrentPageHeader
constexpr std::int32_t kCurrentPageFooter = 10; // wdSeekCurrentPageFooter
constexpr std::int32_t kDoNotSaveChanges = 0;   // wdDoNotSaveChanges
constexpr int kHeadersAndFootersSet = 1;

// Handed to Open as the document password: an unprotected document ignores it, and a protected one
// then fails to open instead of asking for its password in a Word that nobody can see.
constexpr const char* kDummyPassword = "glyphmere-no-password";

std::optional<std::string> readFirstBytes(const std::string& path, std::size_t count)
{
    std::ifstream file(path, std::ios::binary);
    if (!file)
        return std::nullopt;
    std::string bytes(count, '\0');
    file.read(bytes.data(), static_cast<std::streamsize>(count));
    bytes.resize(static_cast<std::size_t>(file.gcount()));
    return bytes;
}

// Each step fetches its references afresh from the application, as Word's own selection moves.
void fontPass(const Variant& app, const OptionsSource& options)
{
    app.get("Selection").call("WholeStory");
    app.get("Selection").get("Font").put("name", options.fontName());
    app.get("Selection").get("Font").put("Size", options.fontSize());
}

Variant activeView(const Variant& app)
{
    return app.get("ActiveWindow").get("ActivePane").get("View");
}

// The current page's header and footer; the view is switched to print layout, where they can be
// reached, and is given back its own type, as read, at the end.
void headerAndFooterPasses(const Variant& app, const OptionsSource& options)
{
    const std::string savedViewType = activeView(app).get("Type").toText();
    activeView(app).put("Type", kPrintLayoutView);
    activeView(app).put("SeekView", kCurrentPageHeader);
    fontPass(app, options);
    activeView(app).put("SeekView", kCurrentPageFooter);
    fontPass(app, options);
    activeView(app).put("Type", savedViewType);
}

void restyleInOpenWord(const Variant& app, const OptionsSource& options, const std::string& path)
{
    // A Word that nobody sees must never wait on a prompt, and a document must never run its macros.
    app.put("DisplayAlerts", false);
    app.put("AutomationSecurity", kForceDisableMacros);
    app.get("Documents").call("Open", {path, Variant::missing(), Variant::missing(), Variant::missing(),
                                       kDummyPassword});
    fontPass(app, options);
    if (options.headersAndFootersValue() == kHeadersAndFootersSet)
        headerAndFooterPasses(app, options);
    app.get("Application").put("DisplayAlerts", false);
    app.get("ActiveDocument").call("SaveAs", {path});
}

void quitWithoutSaving(const Variant& app) noexcept
{
    try {
        app.call("Quit", {kDoNotSaveChanges});
    } catch (const std::exception&) {
        // The failure that brought us here is the one reported; an instance that cannot even be ended
        // has nothing more to tell.
    }
}

// After the save: the document is changed whatever Quit does, and an instance that refuses to quit is
// asked once more, now without saving, so it ends if it still can.
void quitAfterSaving(const Variant& app) noexcept
{
    try {
        app.call("Quit");
    } catch (const std::exception&) {
        quitWithoutSaving(app);
    }
}

} // namespace

std::optional<std::string> refusalBeforeOpening(const std::string& path)
{
    std::error_code error;
    const auto status = std::filesystem::status(path, error);
    if (status.type() == std::filesystem::file_type::not_found)
        return "the file does not exist";
    if (error)
        return "the file cannot be examined (" + error.message() + ")";
    if (status.type() != std::filesystem::file_type::regular)
        return kNotAWordDocument;

    const auto start = readFirstBytes(path, kCompoundFileSignature.size());
    if (!start)
        return "the file cannot be read";
    if (start->starts_with(kZipSignature) || *start == kCompoundFileSignature)
        return std::nullopt;
    return kNotAWordDocument;
}

RestyleResult RestyleDocument(platform::Automation& automation, const OptionsSource& options,
                              const std::string& path)
{
    if (const auto refusal = refusalBeforeOpening(path))
        return {false, *refusal};

    ObjectRef instance;
    try {
        instance = automation.create(kWordClass);
    } catch (const std::exception& error) {
        return {false, error.what()};
    }
    const Variant app(instance);
    // Every failure of this document becomes its result, so the run can report it and go on.
    try {
        restyleInOpenWord(app, options, path);
    } catch (const std::exception& error) {
        quitWithoutSaving(app);
        return {false, error.what()};
    }
    quitAfterSaving(app);
    return {};
}

} // namespace glyphmere::word
