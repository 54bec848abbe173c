#pragma once

#include "platform/Shell.h"

namespace glyphmere::platform::qt {

// Opens web addresses in the desktop's default browser.
class QtShell final : public Shell {
public:
    bool openUrl(const std::string& address) override;
};

} // namespace glyphmere::platform::qt
