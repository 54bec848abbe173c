#include "app/program/SystemServices.h"

#include "platform/win32/ComAutomation.h"
#include "platform/win32/RegistrySettingsStore.h"
#include "platform/win32/Win32FileSystem.h"
#include "platform/win32/Win32Shell.h"

namespace glyphmere::app {

SystemServices makeSystemServices()
{
    return {std::make_unique<platform::win32::ComAutomation>(),
            std::make_unique<platform::win32::RegistrySettingsStore>(),
            std::make_unique<platform::win32::Win32FileSystem>(), std::make_unique<platform::win32::Win32Shell>()};
}

} // namespace glyphmere::app
