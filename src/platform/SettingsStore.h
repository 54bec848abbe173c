#pragma once

#include <optional>
#include <string>
#include <string_view>

namespace glyphmere::platform {

// The per-user store of text values addressed by application name, section and key.
class SettingsStore {
public:
    virtual ~SettingsStore() = default;

    // The stored text, or defaultValue when the key has none or the store cannot be read.
    virtual std::string getSetting(std::string_view app, std::string_view section, std::string_view key,
                                   std::string_view defaultValue) = 0;
    // Creates or replaces the value and makes it durable before returning. Returns the reason
    // when it could not be stored, std::nullopt on success.
    [[nodiscard]] virtual std::optional<std::string> saveSetting(std::string_view app, std::string_view section,
                                                                 std::string_view key, std::string_view value) = 0;
};

} // namespace glyphmere::platform
