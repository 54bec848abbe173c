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

// A call the server did not answer in time, or kept turning away as busy: the server is there but
// occupied (a dialog nobody can see, a long task of its own).
class AutomationTimeout final : public AutomationError {
public:
    using AutomationError::AutomationError;
};

} // namespace glyphmere::platform
