#pragma once

// Restyles one file with the production sequence: word::RestyleDocument, which the window and the batch
// call, over the built-in engine. Header-only and Qt-free, so the fuzz target and the regression tests run
// exactly what users run.

#include "docengine/session/EngineAutomation.h"
#include "platform/AutomationError.h"
#include "platform/Variant.h"
#include "word/OptionsSource.h"
#include "word/RestyleDocument.h"
#include "support/ErrorText.h"
#include "support/SystemFileSystem.h"

#include <cstddef>
#include <cstdint>
#include <string>

namespace glyphmere::docengine::hostile {

inline constexpr const char* kFontName = "DejaVu Sans";
inline constexpr const char* kFontSize = "11";

// "" when the document was saved; otherwise the reason. instancesLeft, when given, receives how many engine
// instances the restyle left running (it must end every one).
inline std::string restyleWithEngine(const std::string& path, bool headersAndFooters,
                                     const std::string& fontName = kFontName, const std::string& fontSize = kFontSize,
                                     std::size_t* instancesLeft = nullptr)
{
    EngineAutomation automation;
    const word::FixedOptions options(fontName, fontSize, headersAndFooters);
    const word::RestyleResult result =
        word::RestyleDocument(automation, testing_support::systemFileSystem(), options, path);
    if (instancesLeft)
        *instancesLeft = automation.liveInstanceCount();
    return result.ok ? "" : result.reason;
}

// "" when the engine opens the document; otherwise its reason.
inline std::string openRefusalOfEngine(const std::string& path)
{
    EngineAutomation automation;
    const platform::Variant app(automation.create("Word.Application"));
    const std::string reason =
        testing_support::errorText<platform::AutomationError>([&] { app.get("Documents").call("Open", {path}); });
    try {
        app.call("Quit", {std::int32_t{0}});
    } catch (const platform::AutomationError&) {
        // The answer is whether the document opened.
    }
    return reason;
}

} // namespace glyphmere::docengine::hostile
