#include "word/RestyleDocument.h"

#include "word/WordContract.h"

#include <exception>
#include <string_view>

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

// Each step fetches its references afresh from the application, as Word's own selection moves.
void fontPass(const Variant& app, const OptionsSource& options)
{
    app.get("Selection").call("WholeStory");
    app.get("Selection").get("Font").put("name", options.fontName());
    app.get("Selection").get("Font").put("Size", options.fontSize());
}

Variant activeView(const Variant& app) { return app.get("ActiveWindow").get("ActivePane").get("View"); }

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
    app.get("Documents")
        .call("Open", {path, Variant::missing(), Variant::missing(), Variant::missing(), kDummyPassword});
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

std::optional<std::string> refusalBeforeOpening(platform::FileSystem& fileSystem, const std::string& path)
{
    const platform::PathStatus status = fileSystem.pathStatus(path);
    if (status.kind == platform::PathKind::Missing)
        return "the file does not exist";
    if (status.kind == platform::PathKind::Unexaminable)
        return "the file cannot be examined (" + status.problem + ")";
    if (status.kind != platform::PathKind::RegularFile)
        return kNotAWordDocument;

    const auto start = fileSystem.firstBytes(path, kCompoundFileSignature.size());
    if (!start)
        return "the file cannot be read";
    if (start->starts_with(kZipSignature) || *start == kCompoundFileSignature)
        return std::nullopt;
    return kNotAWordDocument;
}

RestyleResult RestyleDocument(platform::Automation& automation, platform::FileSystem& fileSystem,
                              const OptionsSource& options, const std::string& path)
{
    if (const auto refusal = refusalBeforeOpening(fileSystem, path))
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
