#pragma once

#include "platform/SettingsStore.h"

#include <map>
#include <string>
#include <vector>

namespace glyphmere::fakes {

// An in-memory settings store that logs every write as "app/section/key=value".
class FakeSettingsStore final : public platform::SettingsStore {
public:
    std::string getSetting(std::string_view app, std::string_view section, std::string_view key,
                           std::string_view defaultValue) override
    {
        const auto found = values.find(address(app, section, key));
        return found == values.end() ? std::string(defaultValue) : found->second;
    }

    std::optional<std::string> saveSetting(std::string_view app, std::string_view section, std::string_view key,
                                           std::string_view value) override
    {
        writes.push_back(address(app, section, key) + "=" + std::string(value));
        if (failWrites)
            return failureReason;
        values[address(app, section, key)] = std::string(value);
        return std::nullopt;
    }

    // Stores a value as an earlier run would have, without logging it as a write.
    void preset(std::string_view key, std::string_view value) { values[address("Tarnwick", "Glyphmere", key)] = value; }
    std::string valueOf(std::string_view key) const
    {
        const auto found = values.find(address("Tarnwick", "Glyphmere", key));
        return found == values.end() ? std::string("<none>") : found->second;
    }

    std::map<std::string, std::string> values;
    std::vector<std::string> writes;
    bool failWrites = false;
    std::string failureReason = "the settings file is read-only";

private:
    static std::string address(std::string_view app, std::string_view section, std::string_view key)
    {
        return std::string(app) + "/" + std::string(section) + "/" + std::string(key);
    }
};

} // namespace glyphmere::fakes
