#include "app/program/SystemServices.h"

#include "app/OptionSettings.h"
#include "docengine/session/EngineAutomation.h"
#include "platform/win32/ComAutomation.h"
#include "platform/win32/RegistrySettingsStore.h"
#include "platform/win32/Win32ClassRegistry.h"
#include "platform/win32/Win32FileSystem.h"
#include "platform/win32/Win32Shell.h"
#include "word/EngineChoice.h"

namespace glyphmere::app {

SystemServices makeSystemServices()
{
    auto settings = std::make_unique<platform::win32::RegistrySettingsStore>();
    platform::win32::Win32ClassRegistry registry;
    const word::EngineChoice choice = word::chooseRestyleEngine(
        registry, settings->getSetting(kSettingsApp, kSettingsSection, word::kEngineSettingKey, ""));
    std::unique_ptr<platform::Automation> automation;
    if (choice.engine == word::RestyleEngine::Word)
        automation = std::make_unique<platform::win32::ComAutomation>();
    else
        automation = std::make_unique<docengine::EngineAutomation>();
    return {std::move(automation), std::move(settings), std::make_unique<platform::win32::Win32FileSystem>(),
            std::make_unique<platform::win32::Win32Shell>(), choice.notice};
}

} // namespace glyphmere::app
