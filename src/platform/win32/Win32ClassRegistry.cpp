#include "platform/win32/Win32ClassRegistry.h"

#include "platform/win32/Win32Text.h"

#include <objbase.h>

namespace glyphmere::platform::win32 {

std::optional<std::string> Win32ClassRegistry::whyNotRegistered(std::string_view className)
{
    CLSID classId{};
    const HRESULT result = CLSIDFromProgID(widen(className).c_str(), &classId);
    if (SUCCEEDED(result))
        return std::nullopt;
    return systemMessage(static_cast<std::uint32_t>(result));
}

} // namespace glyphmere::platform::win32
