#pragma once

#include <stdexcept>
#include <string>

namespace glyphmere::docengine {

// A refusal or failure of the document engine. Its what() is the reason as the user reads it after the
// document's path ("the document is read-only"); it never names the path itself.
class EngineError : public std::runtime_error {
public:
    explicit EngineError(const std::string& reason) : std::runtime_error(reason) {}
};

} // namespace glyphmere::docengine
