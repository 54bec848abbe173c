#pragma once

#include "platform/SettingsStore.h"

#include <QString>

namespace glyphmere::platform::qt {

// The per-user settings store as INI files: application "Tarnwick" is the file
// <root>/Tarnwick/Tarnwick.ini and section "Glyphmere" its group.
class QtSettingsStore final : public SettingsStore {
public:
    // root defaults to the user's configuration folder (~/.config on Linux).
    explicit QtSettingsStore(QString root = defaultRoot());

    std::string getSetting(std::string_view app, std::string_view section, std::string_view key,
                           std::string_view defaultValue) override;
    std::optional<std::string> saveSetting(std::string_view app, std::string_view section, std::string_view key,
                                           std::string_view value) override;

    QString fileOf(std::string_view app) const;
    static QString defaultRoot();

private:
    QString m_root;
};

} // namespace glyphmere::platform::qt
