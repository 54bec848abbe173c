#include "platform/win32/RegistrySettingsStore.h"

#include "platform/win32/Win32Text.h"

#include <windows.h>

namespace glyphmere::platform::win32 {
namespace {

// Closes a registry key when it goes.
class KeyHandle {
public:
    KeyHandle() = default;
    KeyHandle(const KeyHandle&) = delete;
    KeyHandle& operator=(const KeyHandle&) = delete;
    ~KeyHandle()
    {
        if (m_key)
            RegCloseKey(m_key);
    }
    HKEY* out() { return &m_key; }
    HKEY get() const { return m_key; }

private:
    HKEY m_key = nullptr;
};

std::string reason(std::string_view what, LSTATUS status)
{
    return std::string(what) + ": " + systemMessage(static_cast<std::uint32_t>(status));
}

// A stored REG_SZ value, or nothing when the value is missing, of another type, or unreadable.
std::optional<std::wstring> readText(const std::wstring& keyPath, const std::wstring& valueName)
{
    // The value can grow between asking for its size and reading it; then ask again.
    for (int attempt = 0; attempt < 4; ++attempt) {
        DWORD bytes = 0;
        LSTATUS status = RegGetValueW(HKEY_CURRENT_USER, keyPath.c_str(), valueName.c_str(), RRF_RT_REG_SZ, nullptr,
                                      nullptr, &bytes);
        if (status != ERROR_SUCCESS)
            return std::nullopt;
        std::wstring text(bytes / sizeof(wchar_t) + 1, L'\0');
        bytes = static_cast<DWORD>(text.size() * sizeof(wchar_t));
        status = RegGetValueW(HKEY_CURRENT_USER, keyPath.c_str(), valueName.c_str(), RRF_RT_REG_SZ, nullptr,
                              text.data(), &bytes);
        if (status == ERROR_SUCCESS) {
            // bytes counts the terminating NUL that RegGetValueW guarantees.
            text.resize(bytes / sizeof(wchar_t));
            while (!text.empty() && text.back() == L'\0')
                text.pop_back();
            return text;
        }
        if (status != ERROR_MORE_DATA)
            return std::nullopt;
    }
    return std::nullopt;
}

} // namespace

std::string settingsKeyPath(std::string_view app, std::string_view section)
{
    return "Software\\VB and VBA Program Settings\\" + std::string(app) + "\\" + std::string(section);
}

std::string RegistrySettingsStore::getSetting(std::string_view app, std::string_view section, std::string_view key,
                                              std::string_view defaultValue)
{
    if (app.empty() || section.empty())
        return std::string(defaultValue);
    const std::optional<std::wstring> text = readText(widen(settingsKeyPath(app, section)), widen(key));
    return text ? narrow(*text) : std::string(defaultValue);
}

std::optional<std::string> RegistrySettingsStore::saveSetting(std::string_view app, std::string_view section,
                                                              std::string_view key, std::string_view value)
{
    if (app.empty() || section.empty())
        return "the application and section names must not be empty";
    const std::string keyPath = settingsKeyPath(app, section);
    const std::string keyName = "the registry key HKEY_CURRENT_USER\\" + keyPath;
    KeyHandle handle;
    LSTATUS status = RegCreateKeyExW(HKEY_CURRENT_USER, widen(keyPath).c_str(), 0, nullptr, REG_OPTION_NON_VOLATILE,
                                     KEY_SET_VALUE, nullptr, handle.out(), nullptr);
    if (status != ERROR_SUCCESS)
        return reason(keyName + " could not be opened", status);
    const std::wstring text = widen(value);
    const auto bytes = static_cast<DWORD>((text.size() + 1) * sizeof(wchar_t));
    status =
        RegSetValueExW(handle.get(), widen(key).c_str(), 0, REG_SZ, reinterpret_cast<const BYTE*>(text.c_str()), bytes);
    if (status != ERROR_SUCCESS)
        return reason("the value \"" + std::string(key) + "\" could not be written to " + keyName, status);
    // The value must be on disk before the handler that wrote it returns.
    status = RegFlushKey(handle.get());
    if (status != ERROR_SUCCESS)
        return reason(keyName + " could not be written to disk", status);
    return std::nullopt;
}

} // namespace glyphmere::platform::win32
