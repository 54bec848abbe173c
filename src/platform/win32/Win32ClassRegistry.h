#pragma once

#include "platform/ClassRegistry.h"

namespace glyphmere::platform::win32 {

// Looks a ProgID up as COM does before it creates an object: the class's CLSID from the registry.
class Win32ClassRegistry final : public ClassRegistry {
public:
    std::optional<std::string> whyNotRegistered(std::string_view className) override;
};

} // namespace glyphmere::platform::win32
