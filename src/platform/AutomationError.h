#pragma once

#include <stdexcept>
#include <string>

namespace glyphmere::platform {

// The one failure of the automation service: a failing create, attach, member access or Word operation.
// Its what() is a readable description, as a COM error's description is.
class AutomationError : public std::runtime_error {
public:
    explicit AutomationError(const std::string& description) : std::runtime_error(description) {}
};

} // namespace glyphmere::platform
