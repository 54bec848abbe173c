#pragma once

#include <string>

namespace glyphmere::platform {

struct TwipSize {
    double width = 0;
    double height = 0;
};

// The window system's services that the logic needs outside the window's own widgets.
class WindowSystem {
public:
    virtual ~WindowSystem() = default;

    // The whole screen, task bar included, in twips.
    virtual TwipSize screenSize() = 0;
    // The folder of the running program, without a trailing separator.
    virtual std::string programFolder() = 0;
    // Lets the window repaint and handle the events that are waiting, then returns.
    virtual void processPendingEvents() = 0;
    // Ends the program at once.
    virtual void endProgram() = 0;
};

} // namespace glyphmere::platform
