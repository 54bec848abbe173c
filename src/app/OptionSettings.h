#pragma once

#include "platform/Dialogs.h"
#include "platform/SettingsStore.h"

#include <map>
#include <string>
#include <string_view>

namespace glyphmere::app {

inline constexpr const char* kSettingsApp = "Tarnwick";
inline constexpr const char* kSettingsSection = "Glyphmere";
inline constexpr const char* kHeadersAndFootersKey = "Headers and Footers";
inline constexpr const char* kFontNameKey = "Combo1";
inline constexpr const char* kFontSizeKey = "Combo2";
inline constexpr const char* kDefaultFontName = "Arial";
inline constexpr const char* kDefaultFontSize = "12";

// The three options as the previous run left them (or their defaults).
struct StoredOptions {
    int headersAndFooters = 1;
    std::string fontName;
    std::string fontSize;
};

// The check box value for a stored "Headers and Footers" text: a number is set unless it is zero, the
// words True and False (any letter case) are understood, and anything else counts as the default, set.
int headersAndFootersValue(std::string_view storedText);

// Reads "Headers and Footers", "Combo1" and "Combo2", in that order, with their defaults.
StoredOptions readStoredOptions(platform::SettingsStore& store);

// Stores each option the moment its control changes. A store that cannot be written does not stop the
// program: the first failure of a run is shown once, with the reason.
class OptionWriter {
public:
    OptionWriter(platform::SettingsStore& store, platform::Dialogs& dialogs) : m_store(store), m_dialogs(dialogs) {}

    void save(const char* key, const std::string& value);

private:
    platform::SettingsStore& m_store;
    platform::Dialogs& m_dialogs;
    bool m_failureShown = false;
    // The value each key was last stored with, so one change that raises both a click and a change event
    // is stored once; a write that failed is not remembered.
    std::map<std::string, std::string> m_stored;
};

} // namespace glyphmere::app
