#pragma once

#include <cstdint>
#include <string>
#include <string_view>

namespace glyphmere::platform::win32 {

// The program keeps text as UTF-8; the Windows calls take UTF-16. Bytes that are no valid UTF-8 become
// U+FFFD, as the system's own conversion makes them.
std::wstring widen(std::string_view utf8);
std::string narrow(std::wstring_view utf16);

// The system's own sentence for an error code (a Win32 error or an HRESULT), without the line break
// it ends with; "error 0x..." when the system has no text for it.
std::string systemMessage(std::uint32_t code);

// "0x8000FFFF": how an error code is shown after its sentence.
std::string hexCode(std::uint32_t code);

} // namespace glyphmere::platform::win32
