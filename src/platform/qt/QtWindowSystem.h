#pragma once

#include "platform/WindowSystem.h"

namespace glyphmere::platform::qt {

// The screen, the program's folder and the event loop, through Qt.
class QtWindowSystem final : public WindowSystem {
public:
    TwipSize screenSize() override;
    std::string programFolder() override;
    void processPendingEvents() override;
    [[noreturn]] void endProgram() override;
};

} // namespace glyphmere::platform::qt
