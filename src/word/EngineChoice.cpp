#include "word/EngineChoice.h"

#include "common/AsciiCase.h"
#include "word/WordContract.h"

namespace glyphmere::word {

EngineChoice chooseRestyleEngine(platform::ClassRegistry& registry, std::string_view engineSetting)
{
    // The value is typed by people into the registry or an INI file: its case does not count.
    if (common::equalsIgnoringCase(engineSetting, kBuiltInEngineSetting))
        return {RestyleEngine::BuiltIn, ""};
    const std::optional<std::string> reason = registry.whyNotRegistered(kWordClass);
    if (!reason)
        return {RestyleEngine::Word, ""};
    return {RestyleEngine::BuiltIn, std::string(kWordName) + " is not installed (" + *reason +
                                        "), so Glyphmere restyles the documents with its built-in engine."};
}

} // namespace glyphmere::word
