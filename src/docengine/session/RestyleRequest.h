#pragma once

#include "docengine/document/EditableDocument.h"
#include "docengine/files/SaveDeferral.h"

#include <optional>
#include <string>
#include <vector>

namespace glyphmere::docengine {

// A restyle of one document file, with the options the engine offers beyond Word's object model.
struct RestyleRequest {
    std::string fontName{};
    std::string fontSize{}; // points as text, read with the shared number rule
    StoryReach reach = StoryReach::MainText;
    std::optional<std::string> eastAsianFont{};
    std::optional<std::string> complexScriptFont{};
    bool styles = false; // the document defaults and every style's run properties too
    bool dryRun = false; // apply in memory only; nothing is written
};

// The font change that the request asks for; an AutomationError with the reason when a font name or the
// size is refused (the same rules as Font.Name and Font.Size).
FontChange fontChangeFor(const RestyleRequest& request);

// Opens the document at path with every check that Documents.Open makes, applies the request to each
// story it reaches (recording the old formatting when the document tracks formatting), and, unless it
// is a dry run, saves it over its own file safely (with a deferral, the save is kept there for the caller
// to commit). Every story reached is listed, in the order passed, the text boxes of a story after it when
// any changed. On failure throws (EngineError or AutomationError) with the reason, and the file is left
// as it was.
std::vector<StoryChanges> restyleDocumentFile(const std::string& path, const RestyleRequest& request,
                                              SaveDeferral* deferral = nullptr);

} // namespace glyphmere::docengine
