#pragma once

#include "docengine/session/EngineSession.h"

#include "platform/Automation.h"

#include <functional>
#include <memory>
#include <string>
#include <vector>

namespace glyphmere::docengine {

// The default value of the engine's Application: not Word's own name, so that the check for an open
// Word never takes the engine for Word.
inline constexpr const char* kApplicationName = "Glyphmere Document Engine";

using FontNameSource = std::function<std::vector<std::string>()>;

// The Application object of one engine instance. leaveTable is called once, on Quit or when the last
// reference goes, to take the instance out of the table of live instances.
platform::ObjectRef makeApplication(std::shared_ptr<EngineSession> session, FontNameSource fontNames,
                                    std::function<void()> leaveTable);

// The objects reached from the Application, each a view onto the same session.
platform::ObjectRef makeDocuments(const std::shared_ptr<EngineSession>& session);
platform::ObjectRef makeDocument(const std::shared_ptr<EngineSession>& session);
platform::ObjectRef makeSelection(const std::shared_ptr<EngineSession>& session);
platform::ObjectRef makeWindow(const std::shared_ptr<EngineSession>& session);
platform::ObjectRef makeFontNames(const std::shared_ptr<EngineSession>& session, std::vector<std::string> names);

} // namespace glyphmere::docengine
