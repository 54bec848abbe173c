#pragma once

#include <windows.h>

namespace glyphmere::batch::os {

// The console control handler that stopOnInterrupt installs: Ctrl-C, Ctrl-Break and the console's
// closing set the stop flag (and are handled); other events are left to the next handler.
BOOL WINAPI onConsoleControl(DWORD event);

} // namespace glyphmere::batch::os
