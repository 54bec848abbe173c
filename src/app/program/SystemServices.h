#pragma once

#include "platform/Automation.h"
#include "platform/FileSystem.h"
#include "platform/SettingsStore.h"
#include "platform/Shell.h"

#include <memory>

namespace glyphmere::app {

// The services that differ between the systems, owned by the program for its whole run. Linux has the
// built-in engine, an INI settings file and the POSIX file system; Windows has Word through COM, the
// registry and the Win32 file listing. The dialogs and window services are Qt's on both.
struct SystemServices {
    std::unique_ptr<platform::Automation> automation;
    std::unique_ptr<platform::SettingsStore> settings;
    std::unique_ptr<platform::FileSystem> fileSystem;
    std::unique_ptr<platform::Shell> shell;
};

// Prepares the process (signal dispositions) and builds the system's services.
SystemServices makeSystemServices();

} // namespace glyphmere::app
