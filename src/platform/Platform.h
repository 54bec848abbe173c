#pragma once

#include "platform/Automation.h"
#include "platform/Dialogs.h"
#include "platform/FileSystem.h"
#include "platform/RandomSource.h"
#include "platform/SettingsStore.h"
#include "platform/Shell.h"
#include "platform/WindowSystem.h"

namespace glyphmere::platform {

// The services that the program's logic uses, handed in by the main functions (real ones) or by
// tests (fakes).
struct Platform {
    Automation& automation;
    SettingsStore& settings;
    FileSystem& fileSystem;
    Dialogs& dialogs;
    Shell& shell;
    WindowSystem& windowSystem;
    RandomSource& random;
};

} // namespace glyphmere::platform
