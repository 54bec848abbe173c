#pragma once

#include "platform/SettingsStore.h"

namespace glyphmere::platform::win32 {

// The per-user settings store in the registry, where Windows programs have long kept such values:
// HKEY_CURRENT_USER\Software\VB and VBA Program Settings\<app>\<section>, one REG_SZ value per key.
// Values that earlier installs stored there are read as they are.
class RegistrySettingsStore final : public SettingsStore {
public:
    std::string getSetting(std::string_view app, std::string_view section, std::string_view key,
                           std::string_view defaultValue) override;
    [[nodiscard]] std::optional<std::string> saveSetting(std::string_view app, std::string_view section,
                                                         std::string_view key, std::string_view value) override;
};

// The key below HKEY_CURRENT_USER that holds one application's section.
std::string settingsKeyPath(std::string_view app, std::string_view section);

} // namespace glyphmere::platform::win32
