#include "app/OptionSettings.h"

#include "common/AsciiCase.h"
#include "platform/NumberText.h"

namespace glyphmere::app {
namespace {

constexpr const char* kCouldNotSave = "Glyphmere could not save its settings.\r\n\r\n";

} // namespace

int headersAndFootersValue(std::string_view storedText)
{
    if (const auto number = platform::parseNumberText(storedText))
        return *number != 0 ? 1 : 0;
    if (common::equalsIgnoringCase(storedText, "False"))
        return 0;
    return 1; // "True", and any text this program never writes
}

StoredOptions readStoredOptions(platform::SettingsStore& store)
{
    StoredOptions options;
    options.headersAndFooters =
        headersAndFootersValue(store.getSetting(kSettingsApp, kSettingsSection, kHeadersAndFootersKey, "1"));
    options.fontName = store.getSetting(kSettingsApp, kSettingsSection, kFontNameKey, kDefaultFontName);
    options.fontSize = store.getSetting(kSettingsApp, kSettingsSection, kFontSizeKey, kDefaultFontSize);
    return options;
}

void OptionWriter::save(const char* key, const std::string& value)
{
    const auto last = m_stored.find(key);
    if (last != m_stored.end() && last->second == value)
        return;
    m_stored[key] = value;
    const auto failure = m_store.saveSetting(kSettingsApp, kSettingsSection, key, value);
    if (!failure || m_failureShown)
        return;
    m_failureShown = true;
    m_dialogs.messageBox(kCouldNotSave + *failure, platform::MessageButtons::Ok);
}

} // namespace glyphmere::app
