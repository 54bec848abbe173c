#pragma once

// Restyles one file through the engine's automation objects with the calls the batch makes: open, font
// pass on the main text, optionally the current page's header and footer, save to the same path, quit.
// Header-only and Qt-free, so the fuzz target and the regression tests run exactly the same sequence.

#include "docengine/session/EngineAutomation.h"
#include "platform/AutomationError.h"
#include "platform/Variant.h"

#include <cstdint>
#include <string>

namespace glyphmere::docengine::hostile {

inline constexpr const char* kFontName = "DejaVu Sans";
inline constexpr const char* kFontSize = "11";

inline void fontPassOnSelection(const platform::Variant& app)
{
    app.get("Selection").call("WholeStory");
    app.get("Selection").get("Font").put("Name", kFontName);
    app.get("Selection").get("Font").put("Size", kFontSize);
}

inline void headerAndFooterPasses(const platform::Variant& app)
{
    const platform::Variant view = app.get("ActiveWindow").get("ActivePane").get("View");
    const std::string savedType = view.get("Type").toText();
    view.put("Type", std::int32_t{3});
    for (const std::int32_t seek : {9, 10}) {
        view.put("SeekView", seek);
        fontPassOnSelection(app);
    }
    view.put("SeekView", std::int32_t{0});
    view.put("Type", savedType);
}

inline void quietlyQuit(const platform::Variant& app) noexcept
{
    try {
        app.call("Quit", {std::int32_t{0}});
    } catch (const platform::AutomationError&) {
        // The failure that ended the sequence is the one reported.
    }
}

// "" when the document was saved; otherwise the engine's reason.
inline std::string restyleWithEngine(const std::string& path, bool headersAndFooters)
{
    EngineAutomation automation;
    const platform::Variant app(automation.create("Word.Application"));
    try {
        app.get("Documents").call("Open", {path});
        fontPassOnSelection(app);
        if (headersAndFooters)
            headerAndFooterPasses(app);
        app.get("ActiveDocument").call("SaveAs", {path});
        app.call("Quit");
    } catch (const platform::AutomationError& error) {
        quietlyQuit(app);
        return error.what();
    }
    return {};
}

// "" when the engine opens the document; otherwise its reason.
inline std::string openRefusalOfEngine(const std::string& path)
{
    EngineAutomation automation;
    const platform::Variant app(automation.create("Word.Application"));
    try {
        app.get("Documents").call("Open", {path});
    } catch (const platform::AutomationError& error) {
        quietlyQuit(app);
        return error.what();
    }
    quietlyQuit(app);
    return {};
}

} // namespace glyphmere::docengine::hostile
