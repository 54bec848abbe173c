#pragma once

#include "platform/Automation.h"
#include "platform/FileSystem.h"
#include "platform/SettingsStore.h"
#include "platform/Shell.h"

#include <memory>
#include <string>

namespace glyphmere::app {

// The services that differ between the systems, owned by the program for its whole run. Linux has the
// built-in engine, an INI settings file and the POSIX file system; Windows has Word through COM, the
// registry and the Win32 file listing. The dialogs and window services are Qt's on both.
struct SystemServices {
    std::unique_ptr<platform::Automation> automation;
    std::unique_ptr<platform::SettingsStore> settings;
    std::unique_ptr<platform::FileSystem> fileSystem;
    std::unique_ptr<platform::Shell> shell;
    // A sentence the window shows once at start-up (on Windows, when the built-in engine stands in for a
    // Word that is not installed); empty when there is nothing to say.
    std::string startupNotice;
};

// Prepares the process (signal dispositions) and builds the system's services; on Windows it also picks
// the engine that restyles (Word, or the built-in engine where Word is not installed or not wanted).
SystemServices makeSystemServices();

} // namespace glyphmere::app
