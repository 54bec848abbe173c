#pragma once

#include <optional>
#include <string>
#include <string_view>

namespace glyphmere::platform {

// Whether an automation class is installed, as the system's class registry says.
class ClassRegistry {
public:
    virtual ~ClassRegistry() = default;

    // Nothing when className is registered; otherwise the system's own sentence for why it cannot be found.
    virtual std::optional<std::string> whyNotRegistered(std::string_view className) = 0;
};

} // namespace glyphmere::platform
