#pragma once

#include "platform/ClassRegistry.h"

#include <string>
#include <string_view>

namespace glyphmere::word {

// The stored setting that picks the engine ("Engine" in the program's settings section). Its value
// kBuiltInEngineSetting asks for the built-in engine; any other value, or none, for Word where it is installed.
inline constexpr const char* kEngineSettingKey = "Engine";
inline constexpr const char* kBuiltInEngineSetting = "Built-in";

enum class RestyleEngine { Word, BuiltIn };

struct EngineChoice {
    RestyleEngine engine = RestyleEngine::Word;
    // The one sentence to show the user (at start-up or in the status line) about the choice; empty when
    // Word restyles or the user chose the built-in engine.
    std::string notice;
};

// Which engine restyles the window's documents: Word when its class is registered, unless the stored
// setting asks for the built-in engine; the built-in engine when Word is not registered, with a notice
// that holds the system's own reason. The registry is not asked when the setting decides.
EngineChoice chooseRestyleEngine(platform::ClassRegistry& registry, std::string_view engineSetting);

} // namespace glyphmere::word
