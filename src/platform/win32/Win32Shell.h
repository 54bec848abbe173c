#pragma once

#include "platform/Shell.h"

#include <optional>

namespace glyphmere::platform::win32 {

// Opens a web address as Windows programs have long done it: the command line explorer "ADDRESS",
// started minimised and not waited for.
class Win32Shell final : public Shell {
public:
    bool openUrl(const std::string& address) override;
};

// The command line for an address, or nothing when the address would not stay one argument (a double
// quote, a control character) or is empty.
std::optional<std::wstring> explorerCommandLine(const std::string& address);

} // namespace glyphmere::platform::win32
