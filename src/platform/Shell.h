#pragma once

#include <string>

namespace glyphmere::platform {

// Hands a web address to the system's browser, without waiting for it.
class Shell {
public:
    virtual ~Shell() = default;

    // False when the browser could not be started.
    virtual bool openUrl(const std::string& address) = 0;
};

} // namespace glyphmere::platform
